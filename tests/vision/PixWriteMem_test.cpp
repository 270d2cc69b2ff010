#include <leptonica/allheaders.h>

#include <QFileInfo>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

// The engine must reach our writer rather than Leptonica's, or every line is deflated again.
TEST(PixWriteMem, TheEngineResolvesTheWriterOfThisProgram)
{
    void* resolved = dlsym(RTLD_DEFAULT, "pixWriteMem");
    ASSERT_NE(resolved, nullptr);
    Dl_info info {};
    ASSERT_NE(dladdr(resolved, &info), 0);
    EXPECT_EQ(QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath(),
        QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
}

// What the engine writes it reads straight back: every depth it uses must return pixel for pixel.
TEST(PixWriteMem, CopiesAskedForAsPngComeBackUnchangedAndUncompressed)
{
    for (const int depth : { 1, 8, 32 }) {
        SCOPED_TRACE(depth);
        PIX* pix = pixCreate(301, 37, depth);
        ASSERT_NE(pix, nullptr);
        for (int y = 0; y < 37; ++y)
            for (int x = 0; x < 301; ++x)
                pixSetPixel(pix, x, y, depth == 1 ? (x * y) % 3 == 0 : depth == 8 ? (x * 7 + y * 13) % 256 : (x << 16) ^ (y << 8) ^ (x * y));
        l_uint8* data = nullptr;
        size_t size = 0;
        ASSERT_EQ(pixWriteMem(&data, &size, pix, IFF_PNG), 0);
        ASSERT_GE(size, 4u);
        EXPECT_EQ(std::memcmp(data, "spix", 4), 0);
        PIX* back = pixReadMem(data, size);
        ASSERT_NE(back, nullptr);
        l_int32 same = 0;
        pixEqual(pix, back, &same);
        EXPECT_TRUE(same);
        pixDestroy(&back);
        lept_free(data);
        pixDestroy(&pix);
    }
    // Other formats are left to Leptonica.
    PIX* pix = pixCreate(8, 8, 8);
    l_uint8* data = nullptr;
    size_t size = 0;
    ASSERT_EQ(pixWriteMem(&data, &size, pix, IFF_PNM), 0);
    EXPECT_EQ(std::memcmp(data, "P5", 2), 0);
    lept_free(data);
    pixDestroy(&pix);
}
