// Streams, laid out as the platform declares them: the byte stream a container hands an
// object to load from or save into (IPersistStreamInit in ocidl.h).
#pragma once

#include <comrt/unknwn.h>

#ifdef _WIN32
COMRT_SYSTEM_INTERFACE_ID(ISequentialStream);
COMRT_SYSTEM_INTERFACE_ID(IStream);
#else
union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// What Stat reports of a stream.
struct STATSTG {
    LPOLESTR pwcsName;  // allocated with CoTaskMemAlloc unless STATFLAG_NONAME
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};
#define STATFLAG_DEFAULT 0
#define STATFLAG_NONAME 1

#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2

#define STG_E_INVALIDFUNCTION _HRESULT_TYPEDEF_(0x80030001L)
#define STG_E_INVALIDPOINTER _HRESULT_TYPEDEF_(0x80030009L)
#define STG_E_READFAULT _HRESULT_TYPEDEF_(0x8003001EL)
#define STG_E_WRITEFAULT _HRESULT_TYPEDEF_(0x8003001DL)
#define STG_E_MEDIUMFULL _HRESULT_TYPEDEF_(0x80030070L)

// Bytes read and written in order. Read gives fewer bytes than asked (and S_OK or
// S_FALSE) only at the end of the stream.
struct ISequentialStream : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) noexcept = 0;
};
COMRT_INTERFACE_ID(ISequentialStream, "0C733A30-2A1C-11CE-ADE5-00AA0044773D");

struct IStream : ISequentialStream {
    virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                           ULARGE_INTEGER* plibNewPosition) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                             ULARGE_INTEGER* pcbWritten) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit(DWORD grfCommitFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Revert() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                                                 DWORD dwLockType) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                                                   DWORD dwLockType) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD grfStatFlag) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) noexcept = 0;
};
COMRT_INTERFACE_ID(IStream, "0000000C-0000-0000-C000-000000000046");
using LPSTREAM = IStream*;
#endif  // _WIN32
