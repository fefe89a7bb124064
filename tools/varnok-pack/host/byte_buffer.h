// A thread's reusable work buffer: grows as needed and is never zero-filled,
// since every byte is written before it is read.
#pragma once

#include <cstddef>
#include <new>

#include "shell/alloc.h"
#include "tools/varnok-pack/host/host_memory.h"

class ByteBuffer {
public:
    unsigned char* Resize(size_t n) {
        Reserve(n);
        size_ = n;
        return data_.get();
    }
    // Room for n bytes; what the buffer held is lost when it grows.
    void Reserve(size_t n) {
        if (n <= capacity_)
            return;
        data_.reset();  // the old block goes first: the two never stand together
        data_.reset(AllocateBuffer(n));
        if (!data_)
            throw std::bad_alloc();
        capacity_ = n;
    }
    unsigned char* data() const { return data_.get(); }
    size_t size() const { return size_; }

private:
    FreeOwner<unsigned char> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
