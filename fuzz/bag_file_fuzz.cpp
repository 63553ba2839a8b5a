// Fuzz target: the property bag file's reader and writer with arbitrary bytes.
//
// Each input is a bag file's text (the first part) and then values written into the bag
// (values.h: every kind of variant, fonts among the objects). Checked:
//   - loading never fails other than as documented, and a FIFO, a folder or a device in
//     the file's place is refused at once (a hang is a timeout for libFuzzer);
//   - a bag that loaded saves, and what it saves loads again with the same keys in the
//     same order, every entry reading back the same (type and value, or the same error),
//     and saving that gives the same bytes again;
//   - a value that WriteProperty accepts survives a save and a load, as the same kind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <QString>

#include <comrt/olectl.h>
#include <comrt/resource.h>
#include <widget/property_bag_file.h>

#include "support/check.h"
#include "support/values.h"

namespace {

using orvane::qt::PropertyBagFile;

const std::string& folder() {
    static const std::string path = [] {
        char name[] = "/tmp/pg-bag-fuzz-XXXXXX";
        if (!::mkdtemp(name)) std::abort();
        return std::string(name);
    }();
    return path;
}

std::string read_bytes(const std::string& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return {};
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

void write_bytes(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
    ::close(fd);
}

// What reading one key gives: its type and value as text, or its failure.
std::string outcome(const PropertyBagFile& bag, const std::u16string& key) {
    try {
        comrt::Variant v = bag.ReadProperty(key);
        std::string out = "vt " + std::to_string(v.vt()) + " ";
        switch (v.vt()) {
        case VT_I4: return out + std::to_string(v->lVal);
        case VT_R8: {
            unsigned long long bits;
            std::memcpy(&bits, &v->dblVal, sizeof bits);
            return out + std::to_string(bits);
        }
        case VT_BOOL: return out + std::to_string(v->boolVal);
        case VT_BSTR: {
            const auto text = comrt::Bstr::view_of(v->bstrVal);
            return out + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
        }
        case VT_DISPATCH: {
            comrt::ComPtr<IFont> font;
            if (!v->pdispVal || FAILED(v->pdispVal->QueryInterface(IID_IFont, font.put_void()))) return out + "?";
            comrt::Bstr name;
            CY size{};
            SHORT weight = 0;
            font->get_Name(name.put());
            font->get_Size(&size);
            font->get_Weight(&weight);
            return out + std::to_string(name.length()) + "/" + std::to_string(size.int64) + "/" + std::to_string(weight);
        }
        default: return out;
        }
    } catch (const comrt::com_error& e) {
        return "error " + std::to_string(static_cast<unsigned>(e.code()));
    }
}

std::vector<std::string> outcomes(const PropertyBagFile& bag) {
    std::vector<std::string> out;
    for (const std::u16string& key : bag.keys()) out.push_back(outcome(bag, key));
    return out;
}

// Saves bag, loads the file into a new bag, and checks that both read the same.
void round_trip(const PropertyBagFile& bag, const QString& file) {
    const HRESULT saved = bag.save(file);
    PG_FUZZ_CHECK(saved == S_OK, "a bag could not be saved");
    PropertyBagFile loaded;
    PG_FUZZ_CHECK(loaded.load(file) == S_OK, "a saved bag does not load");
    PG_FUZZ_CHECK(loaded.keys() == bag.keys(), "a saved bag loads with other keys");
    PG_FUZZ_CHECK(outcomes(loaded) == outcomes(bag), "a saved bag reads otherwise");
    const std::string first = read_bytes(file.toStdString());
    const QString again = file + ".again";
    PG_FUZZ_CHECK(loaded.save(again) == S_OK, "a loaded bag could not be saved");
    PG_FUZZ_CHECK(read_bytes(again.toStdString()) == first, "saving a loaded bag gives other bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string path = folder() + "/bag.json";
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    const QString file = QString::fromStdString(path);

    PropertyBagFile bag;
    HRESULT loaded = S_OK;
    switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0:
        ::mkfifo(path.c_str(), 0644);
        PG_FUZZ_CHECK(bag.load(file) == orvane::qt::kPathFileAccessError, "a FIFO was taken for a bag file");
        PG_FUZZ_CHECK(bag.save(file) == orvane::qt::kPathFileAccessError, "a bag was saved over a FIFO");
        return 0;
    case 1:
        PG_FUZZ_CHECK(bag.load(QStringLiteral("/dev/zero")) == orvane::qt::kPathFileAccessError,
                      "a device was taken for a bag file");
        return 0;
    case 2:
        PG_FUZZ_CHECK(bag.load(file) == orvane::qt::kFileNotFound, "a missing file loaded");
        break;
    default:
        write_bytes(path, in.ConsumeRandomLengthString(4096));
        loaded = bag.load(file);
        PG_FUZZ_CHECK(loaded == S_OK || loaded == orvane::qt::kInvalidFileFormat, "a load failed otherwise");
        if (FAILED(loaded)) PG_FUZZ_CHECK(bag.keys().empty(), "a failed load left entries");
    }
    if (SUCCEEDED(loaded)) round_trip(bag, QString::fromStdString(folder() + "/saved.json"));

    // Values written by the host, then the whole round again.
    pg_fuzz::Values values(in);
    comrt::ComPtr<IDispatch> font;
    OleCreateFontIndirect(nullptr, IID_IFontDisp, font.put_void());
    values.add_object(font.get());
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0 && in.remaining_bytes() > 0; --n) {
        const std::u16string key = in.ConsumeBool() && !bag.keys().empty() ? bag.keys().front() : u"Key" + std::u16string(1, in.ConsumeIntegral<char16_t>());
        const VARIANT value = values.make();
        try {
            bag.WriteProperty(key, value);
        } catch (const comrt::com_error& e) {
            // A kind the file cannot hold, or a value it could not give back as it was.
            PG_FUZZ_CHECK(e.code() == DISP_E_TYPEMISMATCH || e.code() == orvane::qt::kInvalidPropertyValue ||
                              e.code() == E_OUTOFMEMORY,
                          "a write failed otherwise");
        }
    }
    round_trip(bag, QString::fromStdString(folder() + "/written.json"));
    values.release();
    return 0;
}
