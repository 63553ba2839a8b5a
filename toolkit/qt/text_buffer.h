// A growable run of UTF-16 code units in one heap block, grown and shrunk in place where
// the allocator can (realloc): room made ahead for a fill and not taken is given back
// without copying the texts, and without a second buffer at any moment.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>

namespace orvane::qt {

class TextBuffer {
public:
    TextBuffer() = default;
    ~TextBuffer();
    TextBuffer(TextBuffer&& other) noexcept { swap(other); }
    TextBuffer& operator=(TextBuffer&& other) noexcept {
        TextBuffer gone(std::move(other));
        swap(gone);
        return *this;
    }
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    char16_t* data() noexcept { return data_; }
    const char16_t* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    std::size_t capacity() const noexcept { return capacity_; }

    // Room for units code units in all. Throws std::bad_alloc, the buffer unchanged.
    void reserve(std::size_t units);
    // Appends text, which may lie in this buffer; the room grows by half again at least,
    // so that appends cost amortised constant time. Throws std::bad_alloc, the buffer
    // unchanged.
    void append(std::u16string_view text);
    // Gives back the room past the last unit; a shrink the allocator refuses keeps it.
    void trim() noexcept;
    // Empty, with no block.
    void release() noexcept { TextBuffer().swap(*this); }

    void swap(TextBuffer& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

private:
    char16_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace orvane::qt
