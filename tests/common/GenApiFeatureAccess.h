// Features by name through aravis's GenApi engine, for fixtures that hold a parsed description.
// Each setter fails the test when the engine or the device behind it refuses the value.
#pragma once

#include <arv.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace Testing {

class GenApiFeatureAccess {
protected:
    virtual ~GenApiFeatureAccess() = default;
    // The engine over the description; the fixture keeps it.
    virtual ArvGc* Engine() = 0;

    ArvGcNode* Node(const char* name) {
        ArvGcNode* node = arv_gc_get_node(Engine(), name);
        EXPECT_NE(nullptr, node) << name;
        return node;
    }

    void SetInteger(const char* name, int64_t value) {
        GError* error = nullptr;
        arv_gc_integer_set_value(ARV_GC_INTEGER(Node(name)), value, &error);
        Check(error, name);
    }
    void SetFloat(const char* name, double value) {
        GError* error = nullptr;
        arv_gc_float_set_value(ARV_GC_FLOAT(Node(name)), value, &error);
        Check(error, name);
    }
    void SetEntry(const char* name, const char* entry) {
        GError* error = nullptr;
        arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(Node(name)), entry, &error);
        Check(error, name);
    }
    void SetBoolean(const char* name, bool value) {
        GError* error = nullptr;
        arv_gc_boolean_set_value(ARV_GC_BOOLEAN(Node(name)), value, &error);
        Check(error, name);
    }
    void SetString(const char* name, const char* value) {
        GError* error = nullptr;
        arv_gc_string_set_value(ARV_GC_STRING(Node(name)), value, &error);
        Check(error, name);
    }
    void Execute(const char* name) {
        GError* error = nullptr;
        arv_gc_command_execute(ARV_GC_COMMAND(Node(name)), &error);
        Check(error, name);
    }

    int64_t Integer(const char* name) {
        return arv_gc_integer_get_value(ARV_GC_INTEGER(Node(name)), nullptr);
    }
    double Float(const char* name) {
        return arv_gc_float_get_value(ARV_GC_FLOAT(Node(name)), nullptr);
    }
    std::string String(const char* name) {
        const char* value = arv_gc_string_get_value(ARV_GC_STRING(Node(name)), nullptr);
        return value != nullptr ? value : "";
    }
    std::string Entry(const char* name) {
        const char* entry =
            arv_gc_enumeration_get_string_value(ARV_GC_ENUMERATION(Node(name)), nullptr);
        return entry != nullptr ? entry : "";
    }

private:
    static void Check(GError* error, const char* name) {
        if (error != nullptr) {
            ADD_FAILURE() << name << ": " << error->message;
            g_error_free(error);
        }
    }
};

}  // namespace Testing
