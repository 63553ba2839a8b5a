// GoogleTest's side of TemporaryRegistry (testing/temporary_registry.h): a test with a
// registry of its own, and a registry shared by every test of a program.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include <testing/temporary_registry.h>
#include <testing/text.h>
#include <testing/unload_check.h>

namespace pg_testing {

// Each test gets an empty registry of its own, made before SetUp and gone after the test,
// whatever happened in it.
class TemporaryRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Hex(registry_.status()), Hex(S_OK)) << registry_.failure(); }
    // Whatever a derived fixture made through the registry is gone by now.
    ~TemporaryRegistryTest() override { ExpectNothingAlive(); }

    // The registry file's text, and replacing it (path_ may be pointed elsewhere by a test
    // that moves $COMRT_REGISTRY itself).
    std::string read_registry_text() const { return ReadFile(path_); }
    void write_registry(std::string_view text) const { WriteFile(path_, text); }

    TemporaryRegistry registry_;
    const std::string folder_ = registry_.folder();
    std::string path_ = registry_.path();
};

// A registry for a whole test program, holding the given libraries: made before the first
// test and removed after the last. Added to a program with
//
//     [[maybe_unused]] const auto* const registered = pg_testing::RegisterForProgram({TESSEL_LIBRARY});
//
// A test that makes a registry of its own meanwhile gets this one back when it ends.
class ProgramRegistry final : public ::testing::Environment {
public:
    explicit ProgramRegistry(std::initializer_list<const char*> libraries) : libraries_(libraries.begin(), libraries.end()) {}

    void SetUp() override {
        registry_.emplace();
        for (const std::string& library : libraries_) registry_->add(library.c_str());
        ASSERT_EQ(Hex(registry_->status()), Hex(S_OK)) << registry_->failure();
    }
    void TearDown() override { registry_.reset(); }

private:
    std::vector<std::string> libraries_;
    std::optional<TemporaryRegistry> registry_;
};

inline ::testing::Environment* RegisterForProgram(std::initializer_list<const char*> libraries) {
    return ::testing::AddGlobalTestEnvironment(new ProgramRegistry(libraries));
}

}  // namespace pg_testing
