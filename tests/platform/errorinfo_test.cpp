// Error information objects and the per-thread pending object.
#include <gtest/gtest.h>

#include <comrt/com.h>
#include <comrt/implements.h>

#include <atomic>
#include <thread>

namespace {

using comrt::ComPtr;

std::atomic<int> g_live{0};

// Counts live instances, so that every reference the pending slot takes is seen released.
class Counted final : public comrt::implements<Counted, IErrorInfo> {
public:
    Counted() noexcept { ++g_live; }
    ~Counted() override { --g_live; }
    HRESULT STDMETHODCALLTYPE GetGUID(GUID*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD*) noexcept override { return E_NOTIMPL; }
};

IErrorInfo* pending_peek() {  // takes the pending object and puts it back
    ComPtr<IErrorInfo> info;
    GetErrorInfo(0, info.put());
    SetErrorInfo(0, info.get());
    return info.get();
}

TEST(ErrorInfoObject, KeepsCopiesOfWhatWasSet) {
    ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(create.put()), S_OK);
    OLECHAR source[] = u"Tessel";
    create->SetGUID(IID_IDispatch);
    create->SetSource(source);
    create->SetDescription(nullptr);  // reads back as the empty string
    source[0] = u'X';
    auto info = create.as<IErrorInfo>();
    GUID guid{};
    comrt::Bstr text;
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_EQ(guid, IID_IDispatch);
    EXPECT_EQ(info->GetSource(text.put()), S_OK);
    EXPECT_TRUE(text == std::u16string_view(u"Tessel"));
    EXPECT_EQ(info->GetDescription(text.put()), S_OK);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(info->GetSource(nullptr), E_POINTER);
    EXPECT_EQ(CreateErrorInfo(nullptr), E_INVALIDARG);
}

TEST(PendingErrorInfo, HandedOverOnceReplacedAndCleared) {
    {
        auto a = comrt::make<Counted>();
        auto b = comrt::make<Counted>();
        SetErrorInfo(0, a.get());
        SetErrorInfo(0, a.get());  // the same object again
        EXPECT_EQ(SetErrorInfo(1, b.get()), E_INVALIDARG);
        EXPECT_EQ(pending_peek(), a.get());
        SetErrorInfo(0, b.get());
        ComPtr<IErrorInfo> taken;
        EXPECT_EQ(GetErrorInfo(0, taken.put()), S_OK);
        EXPECT_EQ(taken.get(), b.get());
        auto* poisoned = reinterpret_cast<IErrorInfo*>(0x1);
        EXPECT_EQ(GetErrorInfo(0, &poisoned), S_FALSE);
        EXPECT_EQ(poisoned, nullptr);
        SetErrorInfo(0, a.get());
    }
    EXPECT_EQ(g_live.load(), 1);  // the pending reference
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(g_live.load(), 0);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
}

TEST(PendingErrorInfo, EachThreadHasItsOwnAndReleasesItAtExit) {
    auto mine = comrt::make<Counted>();
    SetErrorInfo(0, mine.get());
    std::thread([] {
        EXPECT_EQ(pending_peek(), nullptr) << "another thread's error information is visible";
        SetErrorInfo(0, comrt::make<Counted>().get());
    }).join();
    EXPECT_EQ(g_live.load(), 1) << "the ended thread's object was not released";
    EXPECT_EQ(pending_peek(), mine.get());
    SetErrorInfo(0, nullptr);
}

// Built before the thread's first SetErrorInfo, so destroyed after its pending object was
// released: a SetErrorInfo from here must not keep anything.
struct SetsWhileExiting {
    ~SetsWhileExiting() { SetErrorInfo(0, comrt::make<Counted>().get()); }
};

TEST(PendingErrorInfo, SetDuringThreadExitKeepsNothing) {
    std::thread([] {
        thread_local SetsWhileExiting late;
        (void)late;
        SetErrorInfo(0, comrt::make<Counted>().get());
    }).join();
    EXPECT_EQ(g_live.load(), 0);
}

}  // namespace
