// JPEG pictures decoded with libjpeg (baseline and progressive, grey or colour) into a 24-bit
// top-down DIB, drawn stretched. A damaged picture raises EInvalidGraphic and leaves the image
// as it was.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "class_info.h"

namespace tk {

class TJPEGImage : public TObject {
    TK_CLASS(TJPEGImage)
public:
    void LoadFromBytes(const uint8_t* data, size_t size);
    void LoadFromResourceName(const char* name);  // an RCDATA resource of the program file
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0; }
    // Pixel (x, y) as 0x00RRGGBB, for checks of the decoded picture.
    uint32_t Pixel(int x, int y) const;
    void StretchDraw(HDC dc, const RECT& rect) const;

private:
    std::vector<uint8_t> bits_;  // BGR rows, each padded to 4 bytes
    int width_ = 0, height_ = 0;
};

}  // namespace tk
