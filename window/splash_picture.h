// Which files the launcher accepts as its splash picture.
#pragma once

#include <cstddef>

// The largest splash picture the launcher reads.
constexpr std::size_t kMaxSplashPictureSize = 16u * 1024 * 1024;

// True when the bytes begin as a JPEG image does (start-of-image marker
// FF D8 followed by the next marker's FF). Metafiles, bitmaps, icons and
// anything else are false, whatever the file is called.
bool isJpegImage(const unsigned char* data, std::size_t size);
