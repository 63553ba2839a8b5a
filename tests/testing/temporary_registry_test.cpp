// The temporary registry: it redirects $COMRT_REGISTRY for exactly its lifetime, however
// the scope ends, registers libraries there, and says which one failed and why.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/objbase.h>
#include <comrt/registry.h>
#include <tessel/tessel.h>
#include <testing/registry_fixture.h>
#include <testing/temporary_registry.h>
#include <testing/text.h>

namespace {

using pg_testing::Hex;
using pg_testing::TemporaryRegistry;

std::optional<std::string> Variable() {
    const char* value = std::getenv("COMRT_REGISTRY");
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// Sets or unsets $COMRT_REGISTRY for one test and puts back what was there.
class RegistryVariable : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (GetParam())
            ::setenv("COMRT_REGISTRY", GetParam(), 1);
        else
            ::unsetenv("COMRT_REGISTRY");
    }
    void TearDown() override {
        if (outside_)
            ::setenv("COMRT_REGISTRY", outside_->c_str(), 1);
        else
            ::unsetenv("COMRT_REGISTRY");
    }
    std::optional<std::string> expected() const {
        return GetParam() ? std::optional<std::string>(GetParam()) : std::nullopt;
    }

private:
    const std::optional<std::string> outside_ = Variable();
};

TEST_P(RegistryVariable, PointsAtAFreshFolderAndPutsTheVariableBack) {
    std::string folder;
    {
        const TemporaryRegistry registry;
        ASSERT_EQ(Hex(registry.status()), Hex(S_OK)) << registry.failure();
        folder = registry.folder();
        EXPECT_TRUE(std::filesystem::is_directory(folder));
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << "nothing is written before a registration";
        EXPECT_EQ(registry.path(), folder + "/registry.json");
        EXPECT_EQ(Variable(), registry.path());

        const TemporaryRegistry inner;
        EXPECT_NE(inner.folder(), folder) << "each registry has a folder of its own";
        EXPECT_EQ(Variable(), inner.path());
    }
    EXPECT_EQ(Variable(), expected()) << "set again, or unset again";
    EXPECT_FALSE(std::filesystem::exists(folder));
}

// The variable and the folder come back even when the scope ends at a failed assertion or
// an exception. (EXPECT_FATAL_FAILURE's statement sees statics only.)
std::string left_folder;

TEST_P(RegistryVariable, PutsTheVariableBackWhenAnAssertionOrAnExceptionEndsTheScope) {
    EXPECT_FATAL_FAILURE(
        {
            const TemporaryRegistry registry;
            left_folder = registry.folder();
            ASSERT_TRUE(false) << "a failing check";
        },
        "a failing check");
    EXPECT_EQ(Variable(), expected());
    EXPECT_FALSE(left_folder.empty());
    EXPECT_FALSE(std::filesystem::exists(left_folder));

    try {
        const TemporaryRegistry registry;
        left_folder = registry.folder();
        throw std::runtime_error("thrown");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(Variable(), expected());
    EXPECT_FALSE(std::filesystem::exists(left_folder));
}

INSTANTIATE_TEST_SUITE_P(Outside, RegistryVariable, ::testing::Values("/nonexistent/outside.json", nullptr),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return info.param ? std::string("Set") : std::string("Unset");
                         });

TEST(TemporaryRegistry, RegistersLibrariesThatActivationThenFinds) {
    const TemporaryRegistry registry({TESSEL_LIBRARY});
    ASSERT_EQ(Hex(registry.status()), Hex(S_OK)) << registry.failure();
    EXPECT_TRUE(registry.failure().empty());
    comrt::class_registration found;
    ASSERT_EQ(Hex(comrt::find_class(CLSID_clsTessel, found)), Hex(S_OK));
    EXPECT_EQ(found.server, std::filesystem::canonical(TESSEL_LIBRARY).string());
    EXPECT_EQ(pg_testing::ClassRegistration(CLSID_clsTessel), "Tessel.clsTessel Apartment " + comrt::guid_string(LIBID_Tessel));
    comrt::ComPtr<IUnknown> group;
    EXPECT_EQ(Hex(CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, group.put_void())),
              Hex(S_OK));
}

TEST(TemporaryRegistry, KeepsTheFirstFailureAndWhatCausedIt) {
    const struct {
        const char* what;
        const char* library;
        HRESULT status;
    } rows[] = {
        {"no such file", "/nonexistent/libmissing.so", CO_E_DLLNOTFOUND},
        {"no server exports", COMRT_LIBRARY, CO_E_ERRORINDLL},
    };
    for (const auto& row : rows) {
        TemporaryRegistry registry({row.library, TESSEL_LIBRARY});
        EXPECT_EQ(Hex(registry.status()), Hex(row.status)) << row.what;
        EXPECT_NE(registry.failure().find(row.library), std::string::npos) << row.what << ": " << registry.failure();
        EXPECT_EQ(pg_testing::ClassRegistration(CLSID_clsTessel), Hex(REGDB_E_CLASSNOTREG))
            << row.what << ": nothing after the failure is registered";

        EXPECT_EQ(Hex(registry.add(TESSEL_LIBRARY)), Hex(S_OK)) << row.what;
        EXPECT_EQ(Hex(registry.status()), Hex(row.status)) << row.what << ": the first failure stays";
    }
}

// The fixture's registry is in place before SetUp and gone after the test, whatever the
// order of the tests.
class FixtureRegistry : public pg_testing::TemporaryRegistryTest {
protected:
    static void SetUpTestSuite() { outside = Variable(); }
    static void TearDownTestSuite() {
        EXPECT_EQ(seen.size(), 2u);
        for (const std::string& folder : seen) EXPECT_FALSE(std::filesystem::exists(folder)) << folder;
        EXPECT_EQ(Variable(), outside);
    }
    void Check() {
        EXPECT_EQ(Variable(), path_);
        write_registry("{}");
        EXPECT_EQ(read_registry_text(), "{}");
        for (const std::string& folder : seen) EXPECT_NE(folder, folder_);
        seen.push_back(folder_);
    }
    static inline std::vector<std::string> seen;
    static inline std::optional<std::string> outside;
};

TEST_F(FixtureRegistry, OneTest) { Check(); }
TEST_F(FixtureRegistry, AnotherTest) { Check(); }

}  // namespace
