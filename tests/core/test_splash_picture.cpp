#include <gtest/gtest.h>

#include <string>

#include "window/splash_picture.h"

namespace {

struct PictureCase {
    const char* name;
    std::string bytes;
    bool jpeg;
};

TEST(SplashPicture, OnlyJpegImagesAreAccepted) {
    const PictureCase cases[] = {
        {"JFIF", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10), true},
        {"Exif", std::string("\xFF\xD8\xFF\xE1\x00\x10" "Exif", 10), true},
        {"placeable metafile", std::string("\xD7\xCD\xC6\x9A\x00\x00", 6), false},
        {"enhanced metafile", std::string("\x01\x00\x00\x00\x6C\x00\x00\x00", 8), false},
        {"bitmap", "BM6\x00\x00\x00", false},
        {"icon", std::string("\x00\x00\x01\x00\x01\x00", 6), false},
        {"GIF", "GIF89a", false},
        {"start-of-image marker only", std::string("\xFF\xD8", 2), false},
        {"text", "not a picture at all", false},
        {"empty", "", false},
    };
    for (const PictureCase& c : cases) {
        EXPECT_EQ(isJpegImage(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()), c.jpeg)
            << c.name;
    }
    EXPECT_FALSE(isJpegImage(nullptr, 10));
}

}  // namespace
