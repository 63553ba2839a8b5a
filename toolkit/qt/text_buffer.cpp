// The grid's text buffer (text_buffer.h).
#include <toolkit/qt/text_buffer.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace orvane::qt {

TextBuffer::~TextBuffer() { std::free(data_); }

void TextBuffer::reserve(std::size_t units) {
    if (units <= capacity_) return;
    if (units > std::numeric_limits<std::size_t>::max() / sizeof(char16_t)) throw std::bad_alloc();
    // realloc keeps the old block on failure.
    void* grown = std::realloc(data_, units * sizeof(char16_t));
    if (!grown) throw std::bad_alloc();
    data_ = static_cast<char16_t*>(grown);
    capacity_ = units;
}

void TextBuffer::append(std::u16string_view text) {
    if (text.empty()) return;
    if (text.size() > capacity_ - size_) {
        // A text inside this buffer moves with it.
        const bool inside = data_ && text.data() >= data_ && text.data() < data_ + size_;
        const std::size_t from = inside ? static_cast<std::size_t>(text.data() - data_) : 0;
        if (text.size() > std::numeric_limits<std::size_t>::max() / sizeof(char16_t) - size_) throw std::bad_alloc();
        reserve(std::max(size_ + text.size(), capacity_ + capacity_ / 2));
        if (inside) text = std::u16string_view(data_ + from, text.size());
    }
    std::memcpy(data_ + size_, text.data(), text.size() * sizeof(char16_t));
    size_ += text.size();
}

void TextBuffer::trim() noexcept {
    if (size_ == capacity_) return;
    if (size_ == 0) {
        release();
        return;
    }
    // A shrink stays where it is: the allocator cuts the block's end off.
    if (void* kept = std::realloc(data_, size_ * sizeof(char16_t))) {
        data_ = static_cast<char16_t*>(kept);
        capacity_ = size_;
    }
}

}  // namespace orvane::qt
