// Type descriptions as IDL, and the vtable fix-up of the type library compiled from it
// (comrt/idl.h). The Windows build compiles the IDL with widl and checks the result against
// the Linux library; here the text itself, what it refuses, and the fix-up on type
// libraries laid out as widl writes them, including damaged ones.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include <comrt/collection.h>
#include <comrt/error.h>
#include <comrt/idl.h>
#include <comrt/typedesc.h>
#include <testing/text.h>

struct _clsSample : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* result) noexcept = 0;                    // 7
    virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR value) noexcept = 0;                      // 8
    virtual HRESULT STDMETHODCALLTYPE get_Items(_Collection** result) noexcept = 0;           // 9
    virtual HRESULT STDMETHODCALLTYPE put_Items(_Collection* value) noexcept = 0;             // 10
    virtual HRESULT STDMETHODCALLTYPE putref_Items(_Collection* value) noexcept = 0;          // 11
    virtual HRESULT STDMETHODCALLTYPE Fill(SAFEARRAY** aValues, SHORT* nCount, LONG* result) noexcept = 0;  // 12
    virtual HRESULT STDMETHODCALLTYPE Reset() noexcept = 0;                                   // 13
    virtual HRESULT STDMETHODCALLTYPE get_Tint(OLE_COLOR* result) noexcept = 0;               // 14
    virtual HRESULT STDMETHODCALLTYPE get_Self(_clsSample** result) noexcept = 0;             // 15
};
COMRT_INTERFACE_ID(_clsSample, "5B0E7C10-1D2A-4F3B-8C4D-5E6F708192A3");

namespace {

using pg_testing::Hex;
using ::testing::HasSubstr;

// Slot 10 (put_Items, by value) is left out, as a library leaves out what late binding must
// not reach.
constexpr comrt::member_desc kSampleMembers[] = {
    comrt::prop_get<&_clsSample::get_Name>(OLESTR("Name"), 0x40030000),
    comrt::prop_put<&_clsSample::put_Name>(OLESTR("Name"), 0x40030000),
    comrt::prop_get<&_clsSample::get_Items>(OLESTR("Items"), 0x40030001),
    comrt::prop_putref<&_clsSample::putref_Items>(OLESTR("Items"), 0x40030001),
    comrt::method<&_clsSample::Fill>(OLESTR("Fill"), 0x60030000,
                                     {{OLESTR("aValues"), comrt::array_of(VT_BSTR)}, OLESTR("nCount")}),
    comrt::method<&_clsSample::Reset>(OLESTR("Reset"), 0x60030001).with_flags(FUNCFLAG_FHIDDEN),
};
constexpr comrt::interface_desc kSampleItf{IID__clsSample, OLESTR("_clsSample"), comrt::dual_interface,
                                           kSampleMembers};
constexpr const comrt::interface_desc* kSampleInterfaces[] = {&kSampleItf};
constexpr comrt::class_desc kSampleClasses[] = {
    {comrt::make_guid("5B0E7C11-1D2A-4F3B-8C4D-5E6F708192A3"), OLESTR("clsSample"), TYPEFLAG_FCANCREATE, &kSampleItf},
    {comrt::make_guid("5B0E7C12-1D2A-4F3B-8C4D-5E6F708192A3"), OLESTR("clsHidden"), TYPEFLAG_FHIDDEN, &kSampleItf},
};
constexpr comrt::type_library kSampleLib{comrt::make_guid("5B0E7C13-1D2A-4F3B-8C4D-5E6F708192A3"),
                                         OLESTR("SampleLib"), 3, 2, 0, kSampleInterfaces, kSampleClasses};
static_assert(comrt::well_formed(kSampleLib));

constexpr const char* kSampleIdl = R"(// The type library of SampleLib, written from the type description the library is built from.
import "automation.idl";
import "comrt.idl";

[
    uuid(5B0E7C10-1D2A-4F3B-8C4D-5E6F708192A3),
    hidden,
    dual,
    nonextensible,
    oleautomation
]
interface _clsSample : IDispatch {
    [id(0x40030000), propget] HRESULT Name([out, retval] BSTR*);
    [id(0x40030000), propput] HRESULT Name([in] BSTR rhs);
    [id(0x40030001), propget] HRESULT Items([out, retval] _Collection**);
    [id(0x40030001), propputref] HRESULT Items([in] _Collection* rhs);
    [id(0x60030000)] HRESULT Fill([in, out] SAFEARRAY(BSTR)* aValues, [in, out] short* nCount, [out, retval] long*);
    [id(0x60030001), hidden] HRESULT Reset();
};

[
    uuid(5B0E7C13-1D2A-4F3B-8C4D-5E6F708192A3),
    version(3.2)
]
library SampleLib
{
    importlib("stdole2.tlb");
    importlib("comrt.tlb");

    interface _clsSample;

    [
        uuid(5B0E7C11-1D2A-4F3B-8C4D-5E6F708192A3)
    ]
    coclass clsSample {
        [default] interface _clsSample;
    };

    [
        uuid(5B0E7C12-1D2A-4F3B-8C4D-5E6F708192A3),
        noncreatable,
        hidden
    ]
    coclass clsHidden {
        [default] interface _clsSample;
    };
};
)";

// The HRESULT that f throws as com_error, S_OK when it returns.
template <typename F>
HRESULT Outcome(F&& f) {
    try {
        f();
        return S_OK;
    } catch (const comrt::com_error& e) {
        return e.code();
    }
}

// A library of one interface with the given members, and no classes.
struct OneInterface {
    comrt::interface_desc itf;
    const comrt::interface_desc* list[1];
    comrt::type_library lib;
    explicit OneInterface(std::span<const comrt::member_desc> members, TYPEKIND kind = TKIND_INTERFACE)
        : itf{IID__clsSample, OLESTR("_clsSample"), comrt::dual_interface, members, kind},
          list{&itf},
          lib{comrt::make_guid("5B0E7C14-1D2A-4F3B-8C4D-5E6F708192A3"), OLESTR("OneLib"), 1, 0, 0, list, {}} {}
};

TEST(IdlOf, WritesInterfacesThenTheLibraryWithItsClasses) {
    EXPECT_EQ(kSampleIdl, comrt::idl_of(kSampleLib));
}

TEST(IdlOf, ImportsComrtOnlyForALibraryThatRefersToTheCollection) {
    constexpr comrt::member_desc name_only[] = {comrt::prop_get<&_clsSample::get_Name>(OLESTR("Name"), 0x40030000)};
    const std::string text = comrt::idl_of(OneInterface(name_only).lib);
    EXPECT_THAT(text, Not(HasSubstr("comrt")));
    EXPECT_THAT(text, HasSubstr("importlib(\"stdole2.tlb\");"));

    // comrt's own library declares the collection and imports nothing of its own.
    const std::string runtime = comrt::idl_of(comrt::runtime_type_library());
    EXPECT_THAT(runtime, HasSubstr("interface _Collection : IDispatch {"));
    EXPECT_THAT(runtime, Not(HasSubstr("comrt.idl")));
    EXPECT_THAT(runtime, Not(HasSubstr("comrt.tlb")));
}

// A system alias and an event dispinterface are written by name; an interface of another
// library of ours is imported; what the IDL written here cannot say fails the tool, rather
// than compiling into a type library that describes something else.
TEST(IdlOf, WritesAliasesEventsAndImportsAndRefusesWhatItCannotSay) {
    constexpr comrt::member_desc alias[] = {
        comrt::prop_get<&_clsSample::get_Tint>(OLESTR("Tint"), 1).result_as(comrt::ole_color)};
    EXPECT_THAT(comrt::idl_of(OneInterface(alias).lib), HasSubstr("HRESULT Tint([out, retval] OLE_COLOR*);"));

    constexpr comrt::member_desc none[1] = {};
    const std::string events = comrt::idl_of(OneInterface({none, 0}, TKIND_DISPATCH).lib);
    EXPECT_THAT(events, HasSubstr("dispinterface _clsSample {\n    properties:\n    methods:\n};"));
    EXPECT_THAT(events, HasSubstr("    dispinterface _clsSample;\n"));
    EXPECT_EQ(Hex(E_NOTIMPL), Hex(Outcome([&] { comrt::idl_of(OneInterface(alias, TKIND_DISPATCH).lib); })))
        << "a dispinterface with members";

    // An interface of neither this library nor comrt's: known only when imported.
    constexpr comrt::member_desc foreign[] = {comrt::prop_get<&_clsSample::get_Self>(OLESTR("Self"), 1)};
    OneInterface library(foreign);
    library.itf.iid = comrt::make_guid("5B0E7C15-1D2A-4F3B-8C4D-5E6F708192A3");
    EXPECT_EQ(Hex(E_NOTIMPL), Hex(Outcome([&] { comrt::idl_of(library.lib); }))) << "an unknown interface";
    const OneInterface other(foreign);
    const comrt::imported_library imports[] = {{&other.lib, "other"}};
    const std::string imported = comrt::idl_of(library.lib, imports);
    EXPECT_THAT(imported, HasSubstr("import \"other.idl\";"));
    EXPECT_THAT(imported, HasSubstr("importlib(\"other.tlb\");"));
    EXPECT_THAT(imported, HasSubstr("([out, retval] _clsSample**)"));
}

// ---- the vtable fix-up --------------------------------------------------------------------------

// A type library as widl lays out one interface (one type info): the header, the type
// info offsets, the segment directory, the type info, the GUID table and the member
// records, each function at the slot after the one before.
struct CompiledLibrary {
    static constexpr std::size_t kHeader = 0x54, kSegments = 15 * 16, kTypeInfo = 0x64, kRecord = 0x18;
    std::vector<unsigned char> bytes;
    std::size_t type_info = 0, records = 0;

    CompiledLibrary(const IID& iid, int functions, TYPEKIND kind = TKIND_DISPATCH, bool extra_header_int = false) {
        const std::size_t header = kHeader + (extra_header_int ? 4 : 0);
        const std::size_t segments = header + 4;  // one type info offset
        type_info = segments + kSegments;
        const std::size_t guids = type_info + kTypeInfo;
        const std::size_t members = guids + 24;
        records = members + 4;
        bytes.assign(records + kRecord * static_cast<std::size_t>(functions), 0);

        put32(0, 0x5446534D);  // "MSFT"
        put32(0x14, extra_header_int ? 0x100 : 0);
        put32(0x20, 1);
        put32(header, 0);  // the type info at the start of its segment
        for (std::size_t s = 0; s < 15; ++s) {
            put32(segments + 16 * s + 8, -1);
            put32(segments + 16 * s + 12, 0x0F);
        }
        put32(segments + 0 * 16, static_cast<std::int32_t>(type_info));
        put32(segments + 0 * 16 + 4, kTypeInfo);
        put32(segments + 5 * 16, static_cast<std::int32_t>(guids));
        put32(segments + 5 * 16 + 4, 24);

        put32(type_info + 0x00, kind);
        put32(type_info + 0x04, static_cast<std::int32_t>(members));
        put32(type_info + 0x18, functions);
        put32(type_info + 0x2C, 0);
        put16(type_info + 0x4E, static_cast<std::int16_t>((7 + functions) * 8));
        std::memcpy(bytes.data() + guids, &iid, sizeof iid);

        put32(members, static_cast<std::int32_t>(kRecord) * functions);
        for (int k = 0; k < functions; ++k) {
            put32(record(k), kRecord);
            put16(record(k) + 0x0C, static_cast<std::int16_t>((7 + k) * 8));
        }
    }

    std::size_t record(int k) const { return records + kRecord * static_cast<std::size_t>(k); }
    int slot_of(int k) const { return get16(record(k) + 0x0C) / 8; }
    int vtable_slots() const { return get16(type_info + 0x4E) / 8; }

    void put32(std::size_t at, std::int32_t v) { std::memcpy(bytes.data() + at, &v, 4); }
    void put16(std::size_t at, std::int16_t v) { std::memcpy(bytes.data() + at, &v, 2); }
    std::int16_t get16(std::size_t at) const {
        std::int16_t v;
        std::memcpy(&v, bytes.data() + at, 2);
        return v;
    }
};

HRESULT Fix(const comrt::type_library& lib, std::vector<unsigned char>& bytes) {
    return Outcome([&] { comrt::fix_vtable_slots(lib, bytes); });
}

TEST(FixVtableSlots, PutsEveryMemberAtItsOwnSlotAndSizesTheVtable) {
    for (const bool extra_header_int : {false, true}) {
        SCOPED_TRACE(extra_header_int ? "with the header's extra INT" : "plain header");
        CompiledLibrary tlb(IID__clsSample, 6, TKIND_DISPATCH, extra_header_int);
        tlb.put16(tlb.record(4) + 0x0C, static_cast<std::int16_t>(11 * 8 | 1));  // a flag in bit 0
        ASSERT_EQ(Hex(S_OK), Hex(Fix(kSampleLib, tlb.bytes)));
        // Name get and put, Items get, then past the undescribed slot 10: Items putref,
        // Fill, Reset.
        const int expected[] = {7, 8, 9, 11, 12, 13};
        for (int k = 0; k < 6; ++k) EXPECT_EQ(expected[k], tlb.slot_of(k)) << "member " << k;
        EXPECT_EQ(1, tlb.get16(tlb.record(4) + 0x0C) & 1) << "the flag bit stays";
        EXPECT_EQ(14, tlb.vtable_slots());
    }
}

TEST(FixVtableSlots, TakesAnInterfaceOfKindInterfaceToo) {
    CompiledLibrary tlb(IID__clsSample, 6, TKIND_INTERFACE);
    ASSERT_EQ(Hex(S_OK), Hex(Fix(kSampleLib, tlb.bytes)));
    EXPECT_EQ(13, tlb.slot_of(5));
}

// Bytes that are not the type library compiled from the description are refused and
// never read out of bounds.
TEST(FixVtableSlots, RefusesBytesThatAreNotTheCompiledDescription) {
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"nothing", {}});
    {
        CompiledLibrary tlb(IID__clsSample, 6);
        tlb.bytes[0] = 'X';
        cases.push_back({"no MSFT signature", tlb.bytes});
    }
    cases.push_back({"another number of functions", CompiledLibrary(IID__clsSample, 5).bytes});
    cases.push_back({"another interface", CompiledLibrary(comrt::make_guid("5B0E7C16-1D2A-4F3B-8C4D-5E6F708192A3"), 6).bytes});
    cases.push_back({"a type info of another kind", CompiledLibrary(IID__clsSample, 6, TKIND_COCLASS).bytes});
    {
        CompiledLibrary tlb(IID__clsSample, 6);
        tlb.put16(tlb.record(2) + 0x0C, 12 * 8);
        cases.push_back({"slots not numbered one after the other", tlb.bytes});
    }
    {
        CompiledLibrary tlb(IID__clsSample, 6);
        tlb.put32(tlb.record(1), 0);
        cases.push_back({"a member record of size 0", tlb.bytes});
    }
    {
        CompiledLibrary tlb(IID__clsSample, 6);
        tlb.put32(tlb.type_info + 0x04, -8);
        cases.push_back({"a negative offset", tlb.bytes});
    }
    {
        CompiledLibrary tlb(IID__clsSample, 6);
        tlb.put32(0x20, 0x7FFFFFFF);
        cases.push_back({"more type infos than the file holds", tlb.bytes});
    }
    // Every cut before the last member's slot number (the last bytes read).
    const CompiledLibrary whole(IID__clsSample, 6);
    for (std::size_t size = 0; size < whole.record(5) + 0x0E; size += 7)
        cases.push_back({"cut short", std::vector<unsigned char>(whole.bytes.begin(), whole.bytes.begin() + size)});

    for (Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(c.bytes.size()) + " bytes");
        EXPECT_EQ(Hex(E_INVALIDARG), Hex(Fix(kSampleLib, c.bytes)));
    }
}

// ---- the tool ---------------------------------------------------------------------------------

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(IdlTool, WritesTheIdlAndFixesATypeLibraryInPlace) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("idl_test." + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string idl = (dir / "sample.idl").string(), tlb = (dir / "sample.tlb").string();

    char tool[] = "sample-idl", idl_flag[] = "--idl", fix_flag[] = "--fix-slots";
    std::string idl_path = idl, tlb_path = tlb;
    char* write_idl[] = {tool, idl_flag, idl_path.data()};
    EXPECT_EQ(0, comrt::idl_tool_main(kSampleLib, 3, write_idl));
    EXPECT_EQ(kSampleIdl, Contents(idl));

    CompiledLibrary compiled(IID__clsSample, 6);
    std::ofstream(tlb, std::ios::binary).write(reinterpret_cast<const char*>(compiled.bytes.data()),
                                               static_cast<std::streamsize>(compiled.bytes.size()));
    char* fix[] = {tool, fix_flag, tlb_path.data()};
    EXPECT_EQ(0, comrt::idl_tool_main(kSampleLib, 3, fix));
    const std::string fixed = Contents(tlb);
    ASSERT_EQ(compiled.bytes.size(), fixed.size());
    std::memcpy(compiled.bytes.data(), fixed.data(), fixed.size());
    EXPECT_EQ(13, compiled.slot_of(5));

    // A file that is no such type library is left as it was, and the tool fails.
    std::ofstream(tlb, std::ios::binary | std::ios::trunc) << "not a type library";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(1, comrt::idl_tool_main(kSampleLib, 3, fix));
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("not a type library compiled from this description"));
    EXPECT_EQ("not a type library", Contents(tlb));

    char unknown[] = "--what";
    char* bad_usage[] = {tool, unknown, tlb_path.data()};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(2, comrt::idl_tool_main(kSampleLib, 3, bad_usage));
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("usage"));

    std::filesystem::remove_all(dir);
}

}  // namespace
