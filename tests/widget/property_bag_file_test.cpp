// The property bag file: values through the file and back, keys in the order written,
// missing and damaged entries as failing reads of their key only, damaged files,
// atomic saving.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <comrt/implements.h>
#include <tests/qt/qt_test_support.h>
#include <testing/dispatch_stub.h>
#include <widget/property_bag_file.h>

namespace orvane::qt {
namespace {

using ::testing::ElementsAre;
using testing::FailureOf;

comrt::Variant I4(LONG value) {
    comrt::Variant v;
    v->vt = VT_I4;
    v->lVal = value;
    return v;
}

comrt::Variant Of(VARTYPE vt, auto assign) {
    comrt::Variant v;
    v->vt = vt;
    assign(*v.get());
    return v;
}

comrt::Variant Font(const char16_t* name, double points) {
    comrt::Variant v;
    v->vt = VT_DISPATCH;
    V_DISPATCH(v.get()) = testing::MakeFont(name, points, FW_BOLD).detach();
    return v;
}

// A value as text, type first, so that a failure shows what came back.
std::string Describe(const comrt::Variant& value) {
    const VARIANT& v = *value.get();
    switch (v.vt) {
    case VT_EMPTY: return "empty";
    case VT_I4: return "I4 " + std::to_string(v.lVal);
    case VT_BOOL: return "BOOL " + std::to_string(v.boolVal);
    case VT_R8: return "R8 " + std::to_string(v.dblVal);
    case VT_BSTR: return "BSTR " + QString::fromUtf16(comrt::Bstr::view_of(v.bstrVal).data(),
                                                       comrt::Bstr::view_of(v.bstrVal).size()).toStdString();
    default: return "type " + std::to_string(v.vt);
    }
}


class PropertyBagFileTest : public ::testing::Test {
protected:
    QString path(const char* name = "appearance.json") const { return folder.filePath(name); }
    void WriteFile(const QString& file, const char* text) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }
    QByteArray ReadFile(const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    PropertyBagFile bag;
};

TEST_F(PropertyBagFileTest, ValuesComeBackThroughTheFile) {
    struct Row {
        const char* name;
        comrt::Variant written;
        comrt::Variant expected;
    } rows[] = {
        {"system colour", I4(static_cast<LONG>(0x80000005)), I4(static_cast<LONG>(0x80000005))},
        {"16-bit integer", Of(VT_I2, [](VARIANT& v) { v.iVal = -7; }), I4(-7)},
        {"unsigned 32 bits", Of(VT_UI4, [](VARIANT& v) { v.ulVal = 0xFFFFFFFF; }), I4(-1)},
        {"boolean", Of(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }),
         Of(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; })},
        {"double", Of(VT_R8, [](VARIANT& v) { v.dblVal = 2.5; }), Of(VT_R8, [](VARIANT& v) { v.dblVal = 2.5; })},
        {"string", Of(VT_BSTR, [](VARIANT& v) { v.bstrVal = comrt::Bstr(u"\u00e4\u20ac\U0001D11E").detach(); }),
         Of(VT_BSTR, [](VARIANT& v) { v.bstrVal = comrt::Bstr(u"\u00e4\u20ac\U0001D11E").detach(); })},
        {"empty", comrt::Variant(), comrt::Variant()},
    };
    for (const Row& row : rows) bag.WriteProperty(QString(row.name).toStdU16String(), *row.written.get());
    ASSERT_EQ(bag.save(path()), S_OK);

    PropertyBagFile loaded;
    ASSERT_EQ(loaded.load(path()), S_OK);
    for (const Row& row : rows) {
        const comrt::Variant read = loaded.ReadProperty(QString(row.name).toStdU16String());
        EXPECT_EQ(Describe(read), Describe(row.expected)) << row.name;
    }
}

TEST_F(PropertyBagFileTest, AFontIsStoredByItsAttributesAndComesBackAsANewFontObject) {
    const comrt::Variant font = Font(u"DejaVu Serif", 9.75);
    bag.WriteProperty(u"Font", *font.get());
    ASSERT_EQ(bag.save(path()), S_OK);
    PropertyBagFile loaded;
    ASSERT_EQ(loaded.load(path()), S_OK);
    const comrt::Variant read = loaded.ReadProperty(u"Font");
    ASSERT_EQ(read.vt(), VT_DISPATCH);
    EXPECT_NE(V_DISPATCH(read.get()), V_DISPATCH(font.get()));
    const auto attributes = comrt::ComPtr<IDispatch>(V_DISPATCH(read.get())).as<IFont>();
    comrt::Bstr name;
    CY size{};
    BOOL bold = FALSE;
    attributes->get_Name(name.put());
    attributes->get_Size(&size);
    attributes->get_Bold(&bold);
    EXPECT_EQ(name.view(), u"DejaVu Serif");
    EXPECT_EQ(size.int64, 97500);
    EXPECT_TRUE(bold);
}

TEST_F(PropertyBagFileTest, TheFileIsReadableWithKeysInTheOrderFirstWritten) {
    bag.WriteProperty(u"BackColor", *I4(static_cast<LONG>(0x8000000F)).get());
    bag.WriteProperty(u"ForeColor", *I4(255).get());
    bag.WriteProperty(u"Font", *Font(u"Tahoma", 8.25).get());
    bag.WriteProperty(u"BackColor", *I4(0).get());  // replaced in place
    EXPECT_THAT(bag.keys(), ElementsAre(u"BackColor", u"ForeColor", u"Font"));
    ASSERT_EQ(bag.save(path()), S_OK);
    const QByteArray text = ReadFile(path());
    EXPECT_LT(text.indexOf("\"BackColor\": 0"), text.indexOf("\"ForeColor\": 255")) << text.constData();
    EXPECT_LT(text.indexOf("\"ForeColor\""), text.indexOf("\"Font\"")) << text.constData();
    EXPECT_NE(text.indexOf("\"Name\": \"Tahoma\""), -1) << text.constData();
    EXPECT_NE(text.indexOf("\"Size\": 8.25"), -1) << text.constData();
}

TEST_F(PropertyBagFileTest, MissingAndDamagedEntriesFailTheirOwnReadOnly) {
    WriteFile(path(), R"({"BackColor": [1, 2], "ForeColor": 2147483653, "Font": {"Name": "Tahoma"},
                         "Weightless": {"Name": "Tahoma", "Size": 8, "Weight": "bold"}, "Huge": 18446744073709551615,
                         "Low": -2147483649})");
    ASSERT_EQ(bag.load(path()), S_OK);
    struct Row {
        const char16_t* key;
        HRESULT hr;
    } rows[] = {{u"BackColor", kInvalidFileFormat}, {u"Font", kInvalidFileFormat}, {u"Weightless", kInvalidFileFormat},
                {u"Missing", kDataValueNotFound}, {u"ForeColor", S_OK}, {u"Huge", S_OK}, {u"Low", S_OK}};
    for (const Row& row : rows) {
        EXPECT_EQ(FailureOf([&] { bag.ReadProperty(row.key); }), row.hr) << QString::fromUtf16(row.key).toStdString();
    }
    EXPECT_EQ(bag.ReadProperty(u"ForeColor")->lVal, static_cast<LONG>(0x80000005)) << "a colour written unsigned";
    EXPECT_EQ(bag.ReadProperty(u"Huge").vt(), VT_R8) << "beyond 32 bits: no integer of the bag";
    EXPECT_EQ(bag.ReadProperty(u"Low").vt(), VT_R8);
}

TEST_F(PropertyBagFileTest, AFileThatIsNoBagIsRefusedWhole) {
    bag.WriteProperty(u"Kept", *I4(1).get());
    struct Row {
        const char* name;
        const char* text;  // null: no file
        HRESULT hr;
    } rows[] = {{"missing", nullptr, kFileNotFound},
                {"not JSON", "BackColor = 5", kInvalidFileFormat},
                {"truncated", "{\"BackColor\": 5", kInvalidFileFormat},
                {"an array", "[1, 2]", kInvalidFileFormat},
                {"empty", "", kInvalidFileFormat}};
    for (const Row& row : rows) {
        const QString file = path(row.name);
        if (row.text) WriteFile(file, row.text);
        EXPECT_EQ(bag.load(file), row.hr) << row.name;
        EXPECT_THAT(bag.keys(), ElementsAre(u"Kept")) << row.name;
    }
}

TEST_F(PropertyBagFileTest, ValuesTheFileCannotHoldAreRefusedAndNothingIsStored) {
    const auto plain = comrt::make<pg_testing::PlainDispatch>();  // something that is no font
    struct Row {
        const char* name;
        comrt::Variant value;
    } rows[] = {
        {"null", Of(VT_NULL, [](VARIANT&) {})},
        {"date", Of(VT_DATE, [](VARIANT& v) { v.date = 1.0; })},
        {"not a number", Of(VT_R8, [](VARIANT& v) { v.dblVal = std::nan(""); })},
        {"an object that is no font",
         Of(VT_DISPATCH, [&](VARIANT& v) { v.pdispVal = comrt::ComPtr<IDispatch>(plain.get()).detach(); })},
        {"no object", Of(VT_DISPATCH, [](VARIANT& v) { v.pdispVal = nullptr; })},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FailureOf([&] { bag.WriteProperty(u"Value", *row.value.get()); }), DISP_E_TYPEMISMATCH) << row.name;

    // Fonts and text that would not read back as they were.
    const auto font = [](auto change) {
        comrt::Variant v = Font(u"Tahoma", 8.25);
        comrt::ComPtr<IFont> f = comrt::ComPtr<IDispatch>(V_DISPATCH(v.get())).try_as<IFont>();
        change(*f);
        return v;
    };
    const comrt::Variant unstorable[] = {
        font([](IFont& f) { f.put_Weight(1200); }),
        font([](IFont& f) { f.put_Weight(-5); }),
        font([](IFont& f) { f.put_Charset(300); }),
        font([](IFont& f) {
            CY huge;
            huge.int64 = 10'000'000'000;
            f.put_Size(huge);
        }),
        font([](IFont& f) { f.put_Name(comrt::Bstr(std::u16string_view(u"Ta\0homa", 7)).get()); }),
        Of(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocStringLen(u"\xD800", 1); }),
    };
    for (const comrt::Variant& value : unstorable)
        EXPECT_EQ(FailureOf([&] { bag.WriteProperty(u"Value", *value.get()); }), kInvalidPropertyValue);
    EXPECT_EQ(FailureOf([&] { bag.WriteProperty(u"\xDC00", *Font(u"Tahoma", 8.25).get()); }), kInvalidPropertyValue);
    EXPECT_TRUE(bag.keys().empty());
}

TEST_F(PropertyBagFileTest, SavingReplacesTheFileWholeAndLeavesNothingBehind) {
    WriteFile(path(), "{\"Old\": 1}");
    bag.WriteProperty(u"New", *I4(2).get());
    ASSERT_EQ(bag.save(path()), S_OK);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"appearance.json"});
    PropertyBagFile loaded;
    ASSERT_EQ(loaded.load(path()), S_OK);
    EXPECT_THAT(loaded.keys(), ElementsAre(u"New"));

    EXPECT_EQ(bag.save(folder.filePath("no/such/folder/bag.json")), kPathFileAccessError);
}

// Files that are valid JSON but would bring the host down later are refused when they
// load, and nothing that is not a regular file is ever waited on.
TEST_F(PropertyBagFileTest, HostileFilesAreRefusedAtOnce) {
    bag.WriteProperty(u"Kept", *I4(1).get());
    const auto nested = [](int depth) {
        return "{\"Deep\": " + std::string(depth - 1, '[') + std::string(depth - 1, ']') + "}";
    };
    // Deep nesting: saving it back once overflowed the stack.
    WriteFile(path("deep.json"), nested(100000).c_str());
    EXPECT_EQ(bag.load(path("deep.json")), kInvalidFileFormat);
    WriteFile(path("limit.json"), nested(16).c_str());
    EXPECT_EQ(bag.load(path("limit.json")), S_OK) << "16 levels are accepted";
    EXPECT_EQ(FailureOf([&] { bag.ReadProperty(u"Deep"); }), kInvalidFileFormat) << "as a damaged entry";
    WriteFile(path("over.json"), nested(17).c_str());
    EXPECT_EQ(bag.load(path("over.json")), kInvalidFileFormat);
    EXPECT_THAT(bag.keys(), ElementsAre(u"Deep")) << "a refused file leaves the bag as it was";

    // One entry named twice: a rewrite would drop one of them.
    WriteFile(path("twice.json"), "{\"A\": 1, \"A\": 2}");
    EXPECT_EQ(bag.load(path("twice.json")), kInvalidFileFormat);

    // Larger than 16 MiB.
    {
        QFile large(path("large.json"));
        ASSERT_TRUE(large.open(QIODevice::WriteOnly));
        ASSERT_TRUE(large.resize(16 * 1024 * 1024 + 1));
    }
    EXPECT_EQ(bag.load(path("large.json")), kInvalidFileFormat);

    // A FIFO, a folder, a device: refused without waiting for a writer or an end.
    const QByteArray fifo = QFile::encodeName(path("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_EQ(bag.load(path("fifo")), kPathFileAccessError);
    EXPECT_EQ(bag.save(path("fifo")), kPathFileAccessError) << "a FIFO is not replaced by a file";
    EXPECT_EQ(bag.load(folder.path()), kPathFileAccessError);
    EXPECT_EQ(bag.load(QStringLiteral("/dev/zero")), kPathFileAccessError);
    EXPECT_THAT(bag.keys(), ElementsAre(u"Deep"));
}

// A save writes exactly what a load reads back as the same entries: numbers keep their
// text, unknown entries stay as they were read, and the text is never larger than a
// load accepts (60 KB of brackets once made a save of 1.8 GB).
TEST_F(PropertyBagFileTest, WhatIsSavedLoadsBackAsItWas) {
    const char* text = "{\"Exact\": 0.1000000000000000055511151231257827, \"Big\": 123456789012345678901234567890,"
                       " \"Unknown\": [1, {\"x\": [true, null, \"\\u00e9\"]}]}";
    WriteFile(path(), text);
    ASSERT_EQ(bag.load(path()), S_OK);
    ASSERT_EQ(bag.save(path("copy.json")), S_OK);
    PropertyBagFile copy;
    ASSERT_EQ(copy.load(path("copy.json")), S_OK);
    EXPECT_THAT(copy.keys(), ElementsAre(u"Exact", u"Big", u"Unknown"));
    const QByteArray saved = ReadFile(path("copy.json"));
    EXPECT_TRUE(saved.contains("0.1000000000000000055511151231257827")) << saved.constData();
    EXPECT_TRUE(saved.contains("123456789012345678901234567890")) << saved.constData();
    ASSERT_EQ(copy.save(path("again.json")), S_OK);
    EXPECT_EQ(ReadFile(path("again.json")), saved) << "a second round gives the same bytes";

    // Deep and wide: as deep as a load accepts, saved at a size close to the file's.
    std::string wide = "{\"Wide\": [";
    for (int i = 0; i < 4000; ++i) wide += std::string(i ? "," : "") + "[[[[[[[[[[[[[[]]]]]]]]]]]]]]";
    wide += "]}";
    WriteFile(path("wide.json"), wide.c_str());
    ASSERT_EQ(bag.load(path("wide.json")), S_OK);
    ASSERT_EQ(bag.save(path("wide-copy.json")), S_OK);
    EXPECT_LT(ReadFile(path("wide-copy.json")).size(), 64 * static_cast<qsizetype>(wide.size()));
    ASSERT_EQ(copy.load(path("wide-copy.json")), S_OK);
}

// The bag as the control sees it: IPropertyBag, with a type asked for on Read, a failing
// read logged, and a failing load described.
class RecordingLog final : public comrt::implements<RecordingLog, IErrorLog> {
public:
    HRESULT STDMETHODCALLTYPE AddError(LPCOLESTR pszPropName, EXCEPINFO* pExcepInfo) noexcept override {
        names.push_back(pszPropName ? pszPropName : u"");
        codes.push_back(pExcepInfo ? pExcepInfo->scode : S_OK);
        return S_OK;
    }
    std::vector<std::u16string> names;
    std::vector<HRESULT> codes;
};

TEST_F(PropertyBagFileTest, ThroughIPropertyBagReadsConvertAndFailuresAreLogged) {
    const comrt::ComPtr<PropertyBagFile> com = comrt::make<PropertyBagFile>();
    comrt::Variant colour = I4(0x00102030);
    ASSERT_EQ(com->Write(u"BackColor", colour.get()), S_OK);

    comrt::Variant read;
    ASSERT_EQ(com->Read(u"BackColor", read.put(), nullptr), S_OK);
    EXPECT_EQ(read.vt(), VT_I4) << "VT_EMPTY asks for the stored type";
    read.clear();
    read->vt = VT_BSTR;  // only the type: no string comes in
    ASSERT_EQ(com->Read(u"BackColor", read.get(), nullptr), S_OK);
    ASSERT_EQ(read.vt(), VT_BSTR) << "another type asked for is converted";
    EXPECT_EQ(read->bstrVal, std::u16string_view(u"1056816"));

    const comrt::ComPtr<RecordingLog> log = comrt::make<RecordingLog>();
    read.clear();
    EXPECT_EQ(com->Read(u"Font", read.put(), log.get()), kDataValueNotFound);
    EXPECT_EQ(read.vt(), VT_EMPTY);
    EXPECT_THAT(log->names, ElementsAre(u"Font"));
    EXPECT_THAT(log->codes, ElementsAre(kDataValueNotFound));
    EXPECT_EQ(com->Read(nullptr, read.put(), nullptr), E_POINTER);
    EXPECT_EQ(com->Write(u"X", nullptr), E_POINTER);

    // A failing load says why in the thread's error information.
    EXPECT_EQ(com->load(folder.filePath("missing.json")), kFileNotFound);
    comrt::ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    comrt::Bstr description;
    ASSERT_EQ(info->GetDescription(description.put()), S_OK);
    EXPECT_EQ(description.view(), std::u16string_view(u"File not found"));
}

}  // namespace
}  // namespace orvane::qt
