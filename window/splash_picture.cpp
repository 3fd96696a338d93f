#include "window/splash_picture.h"

bool isJpegImage(const unsigned char* data, std::size_t size) {
    return data && size >= 4 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}
