// libFuzzer target: arbitrary bytes read as a BMP file by the real reader.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "assets/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> bytes(data, data + size);
    bytes.push_back(0);  // fmemopen needs a non-empty buffer
    std::FILE* file = fmemopen(bytes.data(), size ? size : 1, "rb");
    if (!file) return 0;
    BitmapImage image;
    if (readBitmap(file, "fuzz.bmp", image)) {
        // Every promised pixel must be there: touch the first and the last.
        size_t count = size_t(image.width) * image.height * 3;
        volatile unsigned char first = image.pixels[0], last = image.pixels[count - 1];
        (void)first;
        (void)last;
    }
    std::fclose(file);
    return 0;
}
