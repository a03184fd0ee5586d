// The header seen from C and from C++ must describe the same layout.
#include <gtest/gtest.h>

#include <cstddef>

#include "plugin/include/fetchpix.h"

extern "C" {
size_t HeaderProbeImageDataSize(void);
size_t HeaderProbeEngineNameOffset(void);
size_t HeaderProbeEngineCapsOffset(void);
uint32_t HeaderProbeVersion(void);
}

TEST(FetchpixHeader, CAndCppAgreeOnLayout) {
  EXPECT_EQ(HeaderProbeImageDataSize(), sizeof(ImageData));
  EXPECT_EQ(HeaderProbeEngineNameOffset(), offsetof(EngineInfo, name));
  EXPECT_EQ(HeaderProbeEngineCapsOffset(), offsetof(EngineInfo, capabilities));
  EXPECT_EQ(HeaderProbeVersion(), 0x20060719u);
}
