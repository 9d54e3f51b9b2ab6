#include <gtest/gtest.h>

#include "tools/GenTLProducer.h"

TEST(Load, EveryGenTLFunctionResolves) { EXPECT_NO_THROW(GenTLProducer producer(KAVRIN_CTI_PATH)); }
