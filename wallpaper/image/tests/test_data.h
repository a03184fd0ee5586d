#pragma once
// Small picture files from tests/data, compiled into the test.
#include <string>

#include "wallpaper/image/tests/test_images.h"

namespace image::test {

// The bytes of tests/data/<name>; aborts for an unknown name.
const Bytes& TestFile(const std::string& name);
// Writes tests/data/<name> to a fresh temporary file and returns its path.
std::string TestFileOnDisk(const std::string& name);

}  // namespace image::test
