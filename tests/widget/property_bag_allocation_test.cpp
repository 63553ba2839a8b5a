// The property bag file with its Nth allocation failing, for every N, of a load and of a
// save (tests/reliability/failing_allocator.h): each fails with E_OUTOFMEMORY, leaves
// the bag and the file as they were and leaks nothing.
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <tests/reliability/failing_allocator.h>
#include <widget/property_bag_file.h>

namespace orvane::qt {
namespace {

using pg_reliability::AllocationFailure;

QByteArray ReadFile(const QString& path) {
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

constexpr char kFile[] = R"({"BackColor": -2147483643, "Caption": "Settings", "Ratio": 0.25,
  "Font": {"Name": "Tahoma", "Size": 8.25, "Weight": 400, "Italic": false},
  "Unknown": [1, {"x": [true, null]}]})";

TEST(PropertyBagAllocation, EveryFailedAllocationOfALoadOrASaveIsReported) {
    QTemporaryDir folder;
    const QString source = folder.filePath("source.json"), target = folder.filePath("target.json");
    {
        QFile out(source);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(kFile);
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("{\"Old\": 1}");
    }
    for (bool saving : {false, true}) {
        std::size_t n = 1;
        for (; n < 20000; ++n) {
            SCOPED_TRACE((saving ? "save, allocation " : "load, allocation ") + std::to_string(n));
            PropertyBagFile bag;
            comrt::Variant kept;
            kept->vt = VT_I4;
            kept->lVal = 7;
            bag.WriteProperty(u"Kept", *kept.get());
            if (saving) {
                ASSERT_EQ(bag.load(source), S_OK);
            }
            const std::vector<std::u16string> keys = bag.keys();
            HRESULT hr;
            bool failed;
            long live;
            {
                AllocationFailure failure(n);
                hr = saving ? bag.save(target) : bag.load(source);
                SetErrorInfo(0, nullptr);
                failed = failure.failed();
                live = failure.live();
            }
            if (!failed) {
                EXPECT_EQ(hr, S_OK);
                break;
            }
            EXPECT_EQ(hr, E_OUTOFMEMORY);
            EXPECT_EQ(live, 0) << "blocks leaked";
            EXPECT_EQ(bag.keys(), keys) << "the bag is as it was";
            if (saving) {
                EXPECT_EQ(ReadFile(target), QByteArray("{\"Old\": 1}")) << "the file is as it was";
            }
        }
        EXPECT_GT(n, 20u) << "a load or save makes allocations of its own";
    }
}

}  // namespace
}  // namespace orvane::qt
