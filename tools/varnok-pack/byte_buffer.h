// A thread's reusable work buffer: grows as needed and is never zero-filled,
// since every byte is written before it is read.
#pragma once

#include <cstddef>
#include <memory>

class ByteBuffer {
public:
    unsigned char* Resize(size_t n) {
        if (n > capacity_) {
            data_.reset(new unsigned char[n]);
            capacity_ = n;
        }
        size_ = n;
        return data_.get();
    }
    unsigned char* data() const { return data_.get(); }
    size_t size() const { return size_; }

private:
    std::unique_ptr<unsigned char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
