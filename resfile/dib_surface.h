// DIB surfaces: top-down device-independent bitmaps that GDI draws directly
// and that the picture decoder writes into. Every live surface is listed in
// the process-wide SurfaceList, newest first. GUI thread only.
#pragma once

#include <windows.h>

#include <cstdint>

struct DibSurface {
    int32_t width;
    int32_t height;
    int32_t stride;    // bytes per row, a multiple of 4
    int32_t locked;    // non-zero: an unforced FreeDibSurface leaves it alone
    int32_t eightBit;  // non-zero: 8 bits per pixel with a 256-entry palette
    BITMAPINFO* bitmapInfo;  // owned; the header, and for 8-bit the palette
    RGBQUAD* palette;        // inside bitmapInfo for 8-bit, else null
    unsigned char* bits;     // row r at bits + r * stride; owned by bitmap
    HBITMAP bitmap;
    DibSurface* newer;  // towards the list head; null for the head
    DibSurface* older;
};

// Bytes per row of a 24-bit (eightBit 0) or 8-bit surface, padded to 4.
int32_t DibStride(int32_t width, int32_t eightBit);

// A new surface at the head of the SurfaceList; an 8-bit palette starts
// all black. Null when width or height is 0 or less, the
// pixels would not fit in 2^31 - 1 bytes, or CreateDIBSection fails.
DibSurface* CreateDibSurface(int32_t width, int32_t height, int32_t eightBit, int32_t locked);
DibSurface* CreateDibSurface24(int32_t width, int32_t height, int32_t locked);

// 0 when released (or null); 1, changing nothing, when locked and force is 0.
int FreeDibSurface(DibSurface* surface, int32_t force);

// The newest live surface, or null.
DibSurface* SurfaceListHead();
