#include "jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

#include "exceptions.h"

namespace tk {
namespace {
struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void JumpOut(j_common_ptr info) {
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr) {}

// Plain data only between setjmp and longjmp: no C++ object lives in this frame or in the
// library frames that the jump leaves. On success *out is a malloc'd BGR DIB of *width x *height.
bool DecodeJpeg(const unsigned char* data, unsigned long size, unsigned char** out, int* width, int* height) {
    jpeg_decompress_struct info;
    JpegError error;
    unsigned char* volatile pixels = nullptr;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpOut;
    error.manager.output_message = Quiet;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_decompress(&info);
        free(pixels);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const size_t stride = (static_cast<size_t>(info.output_width) * 3 + 3) & ~static_cast<size_t>(3);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
        info.output_width > 16384 || info.output_height > 16384) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    pixels = static_cast<unsigned char*>(calloc(stride, info.output_height));
    if (pixels == nullptr) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        unsigned char* row = pixels + stride * info.output_scanline;
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&info, rows, 1);
        for (unsigned x = 0; x < info.output_width; ++x) {  // RGB to the DIB's BGR
            unsigned char red = row[x * 3];
            row[x * 3] = row[x * 3 + 2];
            row[x * 3 + 2] = red;
        }
    }
    jpeg_finish_decompress(&info);
    *width = static_cast<int>(info.output_width);
    *height = static_cast<int>(info.output_height);
    jpeg_destroy_decompress(&info);
    *out = pixels;
    return true;
}

size_t Stride(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3); }
}  // namespace

TK_CLASS_INFO(TJPEGImage, TObject)

void TJPEGImage::LoadFromBytes(const uint8_t* data, size_t size) {
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    if (data == nullptr || size == 0 || size > 0x7FFFFFFF ||
        !DecodeJpeg(data, static_cast<unsigned long>(size), &pixels, &width, &height))
        throw EInvalidGraphic(L"JPEG error");
    bits_.assign(pixels, pixels + Stride(width) * static_cast<size_t>(height));
    free(pixels);
    width_ = width;
    height_ = height;
}

void TJPEGImage::LoadFromResourceName(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = info != nullptr ? LoadResource(module, info) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) throw EInvalidGraphic(L"No picture resource");
    LoadFromBytes(static_cast<const uint8_t*>(data), SizeofResource(module, info));
}

uint32_t TJPEGImage::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const uint8_t* p = bits_.data() + Stride(width_) * static_cast<size_t>(y) + static_cast<size_t>(x) * 3;
    return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

void TJPEGImage::StretchDraw(HDC dc, const RECT& rect) const {
    if (Empty()) return;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = width_;
    header.bmiHeader.biHeight = -height_;  // top-down rows
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    header.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0, width_, height_,
                  bits_.data(), &header, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace tk
