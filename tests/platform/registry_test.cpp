// The per-user registry file: location, round trips, ProgID ownership, type library
// versions, damaged files, and concurrent writers in separate processes.
#include <comrt/registry.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <testing/registry_fixture.h>

namespace {

using comrt::class_registration;
using comrt::registry_contents;
using comrt::server_registration;
using comrt::typelib_registration;

constexpr CLSID kClassA = comrt::make_guid("6A0B1C2D-0001-4000-8000-00000000000A");
constexpr CLSID kClassB = comrt::make_guid("6A0B1C2D-0002-4000-8000-00000000000B");
constexpr GUID kLib = comrt::make_guid("6A0B1C2D-00FF-4000-8000-0000000000FF");

server_registration one_class(REFCLSID clsid, std::string progid, std::string server = "/opt/libx.so") {
    server_registration r;
    r.classes.push_back({clsid, std::move(progid), std::move(server), "Apartment", kLib});
    return r;
}

server_registration typelib(WORD major, WORD minor, std::string path = "/opt/libx.so") {
    server_registration r;
    r.typelibs.push_back({kLib, major, minor, std::move(path), "Lib"});
    return r;
}

void set_env(const char* name, const char* value) { value ? ::setenv(name, value, 1) : ::unsetenv(name); }

TEST(RegistryPath, FollowsTheEnvironment) {
    const char* names[] = {"COMRT_REGISTRY", "XDG_CONFIG_HOME", "HOME"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names)
        saved.push_back(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt);
    const struct {
        const char* registry;
        const char* xdg;
        const char* expected;
    } rows[] = {
        {"/r/own.json", "/xdg", "/r/own.json"},
        {"", "/xdg", "/xdg/comrt/registry.json"},  // an empty override is no override
        {nullptr, "/xdg", "/xdg/comrt/registry.json"},
        {nullptr, "relative/xdg", "/home/u/.config/comrt/registry.json"},  // must be absolute
        {nullptr, nullptr, "/home/u/.config/comrt/registry.json"},
    };
    set_env("HOME", "/home/u");
    for (const auto& row : rows) {
        set_env("COMRT_REGISTRY", row.registry);
        set_env("XDG_CONFIG_HOME", row.xdg);
        std::string path;
        EXPECT_EQ(comrt::registry_path(path), S_OK);
        EXPECT_EQ(path, row.expected) << "COMRT_REGISTRY=" << (row.registry ? row.registry : "(unset)")
                                      << " XDG_CONFIG_HOME=" << (row.xdg ? row.xdg : "(unset)");
    }
    for (std::size_t i = 0; i < saved.size(); ++i) set_env(names[i], saved[i] ? saved[i]->c_str() : nullptr);
}

using Registry = pg_testing::TemporaryRegistryTest;

TEST_F(Registry, RegisterFindUnregister) {
    path_ = folder_ + "/new/deeper/registry.json";  // folders are made on the first write
    ::setenv("COMRT_REGISTRY", path_.c_str(), 1);
    registry_contents all;
    ASSERT_EQ(comrt::read_registry(all), S_OK) << "a missing file is an empty registry";

    server_registration entries = one_class(kClassA, "Lib.A");
    entries.classes.push_back(one_class(kClassB, "").classes[0]);
    entries.typelibs = typelib(1, 0).typelibs;
    ASSERT_EQ(comrt::register_server(entries), S_OK);
    class_registration found;
    ASSERT_EQ(comrt::find_class(kClassA, found), S_OK);
    EXPECT_EQ(found.progid, "Lib.A");
    EXPECT_EQ(found.server, "/opt/libx.so");
    EXPECT_EQ(found.threading, "Apartment");
    EXPECT_EQ(found.typelib, kLib);
    ASSERT_EQ(comrt::find_class(kClassB, found), S_OK);
    EXPECT_EQ(found.progid, "");
    for (const char* name : {"Lib.A", "lib.a", "LIB.A"}) {
        CLSID clsid{};
        EXPECT_EQ(comrt::find_progid(name, clsid), S_OK) << name;
        EXPECT_EQ(clsid, kClassA) << name;
    }
    const std::string text = read_registry_text();  // indented, for people to read
    EXPECT_NE(text.find("\n  \"classes\": {\n    \"" + comrt::guid_string(kClassA)), std::string::npos) << text;

    ASSERT_EQ(comrt::unregister_server(entries), S_OK);
    EXPECT_EQ(comrt::find_class(kClassA, found), REGDB_E_CLASSNOTREG);
    CLSID clsid{};
    EXPECT_EQ(comrt::find_progid("Lib.A", clsid), CO_E_CLASSSTRING);
    ASSERT_EQ(comrt::read_registry(all), S_OK);
    EXPECT_TRUE(all.classes.empty() && all.progids.empty() && all.typelibs.empty());
    EXPECT_EQ(comrt::unregister_server(entries), S_OK) << "nothing to remove is no failure";
}

TEST_F(Registry, AProgIdNamesOneClass) {
    ASSERT_EQ(comrt::register_server(one_class(kClassA, "Lib.One")), S_OK);
    ASSERT_EQ(comrt::register_server(one_class(kClassA, "Lib.Two")), S_OK);
    CLSID clsid{};
    EXPECT_EQ(comrt::find_progid("Lib.One", clsid), CO_E_CLASSSTRING) << "the class's old ProgID goes";
    // Another class claims it, in another case: it moves, and the first class loses it.
    ASSERT_EQ(comrt::register_server(one_class(kClassB, "lib.two")), S_OK);
    ASSERT_EQ(comrt::find_progid("Lib.Two", clsid), S_OK);
    EXPECT_EQ(clsid, kClassB);
    class_registration first;
    ASSERT_EQ(comrt::find_class(kClassA, first), S_OK);
    EXPECT_EQ(first.progid, "");
    registry_contents all;
    ASSERT_EQ(comrt::read_registry(all), S_OK);
    EXPECT_EQ(all.progids.size(), 1u);
}

TEST_F(Registry, RefusesEntriesItCannotHold) {
    const char* progids[] = {"Lib_A", "1Lib.A", "Lib.A ", "Library.AVeryLongClassNameThatGoesOnAndOn"};
    for (const char* progid : progids)
        EXPECT_EQ(comrt::register_server(one_class(kClassA, progid)), E_INVALIDARG) << progid;
    EXPECT_EQ(comrt::register_server(one_class(kClassA, "Lib.A", "")), E_INVALIDARG) << "no server";
    EXPECT_EQ(comrt::register_server(one_class(kClassA, "Lib.A", "/bad\xff.so")), E_INVALIDARG) << "not UTF-8";
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(Registry, TypeLibraryVersions) {
    ASSERT_EQ(comrt::register_server(typelib(1, 0, "/v1.0")), S_OK);
    ASSERT_EQ(comrt::register_server(typelib(1, 5, "/v1.5")), S_OK);
    ASSERT_EQ(comrt::register_server(typelib(2, 1, "/v2.1")), S_OK);
    const struct {
        WORD major, minor;
        const char* path;  // empty: TYPE_E_LIBNOTREGISTERED
    } rows[] = {{1, 0, "/v1.5"}, {1, 5, "/v1.5"}, {1, 6, ""}, {2, 0, "/v2.1"}, {3, 0, ""}, {0, 0, ""}};
    for (const auto& row : rows) {
        typelib_registration found;
        EXPECT_EQ(comrt::find_typelib(kLib, row.major, row.minor, found), *row.path ? S_OK : TYPE_E_LIBNOTREGISTERED)
            << row.major << "." << row.minor;
        EXPECT_EQ(found.path, row.path) << row.major << "." << row.minor;
    }
    ASSERT_EQ(comrt::unregister_server(typelib(1, 5)), S_OK);
    typelib_registration found;
    EXPECT_EQ(comrt::find_typelib(kLib, 1, 0, found), S_OK);
    EXPECT_EQ(found.path, "/v1.0") << "the other versions stay";
}

TEST_F(Registry, AcceptsHandEditedFiles) {
    // Lower-case GUIDs, members this code does not know, no "progids" section.
    write_registry(R"({"comment": "kept", "classes": {"{6a0b1c2d-0001-4000-8000-00000000000a}":
                     {"server": "/x.so", "note": [1, 2]}}})");
    class_registration found;
    ASSERT_EQ(comrt::find_class(kClassA, found), S_OK);
    EXPECT_EQ(found.server, "/x.so");
    ASSERT_EQ(comrt::register_server(one_class(kClassB, "Lib.B")), S_OK);
    EXPECT_NE(read_registry_text().find("\"comment\": \"kept\""), std::string::npos) << read_registry_text();
    EXPECT_EQ(comrt::find_class(kClassA, found), S_OK);
}

TEST_F(Registry, DamagedFileIsReportedAndLeftAlone) {
    const std::string valid = R"({"classes": {"{6A0B1C2D-0001-4000-8000-00000000000A}": {"server": "/x.so"}}})";
    const std::string guid = "{6A0B1C2D-0001-4000-8000-00000000000A}";
    const struct {
        const char* name;
        std::string text;
    } rows[] = {
        {"empty", ""},
        {"truncated", valid.substr(0, valid.size() / 2)},
        {"garbled", "{\"classes\": {]}"},
        {"binary", std::string("\0\x01\xff\xfe", 4)},
        {"a second document after a NUL byte", valid + std::string(1, '\0') + valid},
        {"array at the top", "[]"},
        {"classes is an array", R"({"classes": []})"},
        {"class key not a GUID", R"({"classes": {"abc": {"server": "/x.so"}}})"},
        {"class without a server", R"({"classes": {")" + guid + R"(": {"progid": "Lib.A"}}})"},
        {"server not a string", R"({"classes": {")" + guid + R"(": {"server": 5}}})"},
        {"bad ProgID", R"({"classes": {")" + guid + R"(": {"server": "/x", "progid": "a b"}}})"},
        {"ProgID names no GUID", R"({"progids": {"Lib.A": "Lib.B"}})"},
        {"bad version", R"({"typelibs": {")" + guid + R"(": {"one": {"path": "/x"}}}})"},
        {"typelib without path", R"({"typelibs": {")" + guid + R"(": {"1.0": {}}}})"},
        {"deep, unclosed", "{\"x\": " + std::string(200000, '[')},
        {"deep, closed", "{\"x\": " + std::string(20000, '[') + std::string(20000, ']') + "}"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        write_registry(row.text);
        registry_contents all;
        EXPECT_EQ(comrt::read_registry(all), REGDB_E_INVALIDVALUE);
        class_registration found;
        EXPECT_EQ(comrt::find_class(kClassA, found), REGDB_E_INVALIDVALUE);
        CLSID clsid{};
        EXPECT_EQ(comrt::find_progid("Lib.A", clsid), REGDB_E_INVALIDVALUE);
        EXPECT_EQ(comrt::register_server(one_class(kClassB, "Lib.B")), REGDB_E_INVALIDVALUE);
        EXPECT_EQ(comrt::unregister_server(one_class(kClassA, "")), REGDB_E_INVALIDVALUE);
        EXPECT_EQ(read_registry_text(), row.text);
    }
    std::filesystem::remove(path_);
    std::filesystem::create_directory(path_);  // a folder where the file should be
    registry_contents all;
    EXPECT_EQ(comrt::read_registry(all), REGDB_E_READREGDB);
    EXPECT_EQ(comrt::register_server(one_class(kClassA, "Lib.A")), REGDB_E_READREGDB);
}

// Rewrites lose nothing a reader could see: two entries for one class (in any case of
// its GUID) or two members of one name make a file damaged, numbers in members this code
// does not know keep their text, a symbolic link stays a link to the file it names, and
// the file keeps its permissions.
TEST_F(Registry, RewritesKeepWhatTheFileSaid) {
    const std::string twice[] = {
        R"({"classes": {"{6a0b1c2d-0001-4000-8000-00000000000a}": {"server": "/a.so"},
                        "{6A0B1C2D-0001-4000-8000-00000000000A}": {"server": "/b.so"}}})",
        R"({"comment": 1, "comment": 2})",
    };
    for (const std::string& text : twice) {
        write_registry(text);
        EXPECT_EQ(comrt::register_server(one_class(kClassB, "Lib.B")), REGDB_E_INVALIDVALUE) << text;
        EXPECT_EQ(read_registry_text(), text);
    }

    write_registry(R"({"note": [0.1000000000000000055511151231257827, -0, 1E+2, 123456789012345678901234567890]})");
    ASSERT_EQ(comrt::register_server(one_class(kClassA, "Lib.A")), S_OK);
    EXPECT_NE(read_registry_text().find("0.1000000000000000055511151231257827"), std::string::npos) << read_registry_text();
    EXPECT_NE(read_registry_text().find("1E+2"), std::string::npos);
    EXPECT_NE(read_registry_text().find("123456789012345678901234567890"), std::string::npos);

    // The registry's path as a link to a file elsewhere, readable by its owner only.
    const std::string target = folder_ + "/real.json";
    std::filesystem::rename(path_, target);
    std::filesystem::create_symlink(target, path_);
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_EQ(comrt::register_server(one_class(kClassB, "Lib.B")), S_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    class_registration found;
    EXPECT_EQ(comrt::find_class(kClassB, found), S_OK);
}

// Nothing waits on a FIFO at the registry's path (or at its lock's): reads and writes
// fail at once, and the FIFO stays.
TEST_F(Registry, SpecialFilesAreRefusedWithoutWaiting) {
    std::filesystem::remove(path_);
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    registry_contents all;
    EXPECT_EQ(comrt::read_registry(all), REGDB_E_READREGDB);
    class_registration found;
    EXPECT_EQ(comrt::find_class(kClassA, found), REGDB_E_READREGDB);
    EXPECT_EQ(comrt::register_server(one_class(kClassA, "Lib.A")), REGDB_E_READREGDB);
    EXPECT_TRUE(std::filesystem::is_fifo(path_));

    std::filesystem::remove(path_);
    std::filesystem::remove(path_ + ".lock");
    ASSERT_EQ(::mkfifo((path_ + ".lock").c_str(), 0600), 0);
    EXPECT_EQ(comrt::find_class(kClassA, found), REGDB_E_CLASSNOTREG) << "no file: nothing to read";
    // A FIFO locks as well as a file does (the lock is on its inode, never on its data).
    EXPECT_EQ(comrt::register_server(one_class(kClassA, "Lib.A")), S_OK);
    EXPECT_EQ(comrt::find_class(kClassA, found), S_OK);
}

// Writers in separate processes, let go at the same moment: every registration survives,
// and no temporary file is left behind.
TEST_F(Registry, ConcurrentProcessesLoseNothing) {
    constexpr int kProcesses = 4;
    constexpr int kEach = 8;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(gate[1]);
            char c;
            while (::read(gate[0], &c, 1) > 0) {
            }
            int failures = 0;
            for (int i = 0; i < kEach; ++i) {
                CLSID clsid = kClassA;
                clsid.Data2 = static_cast<USHORT>(p);
                clsid.Data3 = static_cast<USHORT>(i);
                const std::string progid = "P" + std::to_string(p) + ".C" + std::to_string(i);
                failures += FAILED(comrt::register_server(one_class(clsid, progid)));
            }
            ::_exit(failures);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);  // end of file for every child at once
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    }
    registry_contents all;
    ASSERT_EQ(comrt::read_registry(all), S_OK);
    EXPECT_EQ(all.classes.size(), std::size_t{kProcesses * kEach});
    EXPECT_EQ(all.progids.size(), std::size_t{kProcesses * kEach});
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"registry.json", "registry.json.lock"}));
}

}  // namespace
