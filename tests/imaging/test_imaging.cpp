// JPEG decoding with DCT scaling, resampling and encoding.

#include "imaging/jpeg_decoder.h"
#include "imaging/jpeg_encoder.h"
#include "imaging/resample.h"
#include "jpeg_test_pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace shutterhand;
using namespace shutterhand::imaging;

namespace {

std::vector<std::uint8_t> encodeOrFail(const RgbImage& image, int quality = 90)
{
    auto encoded = EncodeJpeg(image, quality);
    EXPECT_TRUE(encoded.ok()) << encoded.error();
    return encoded.ok() ? std::move(encoded).value() : std::vector<std::uint8_t>{};
}

double meanDifference(const RgbImage& a, const RgbImage& b)
{
    double total = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        total += std::abs(a.pixels[i] - b.pixels[i]);
    return total / static_cast<double>(a.pixels.size());
}

RgbImage rowOf(std::initializer_list<int> greys)
{
    RgbImage image(static_cast<int>(greys.size()), 1);
    int x = 0;
    for (int grey : greys) {
        for (int c = 0; c < 3; ++c)
            image.row(0)[x * 3 + c] = static_cast<std::uint8_t>(grey);
        ++x;
    }
    return image;
}

std::vector<int> greysOf(const RgbImage& image)
{
    std::vector<int> greys;
    for (int x = 0; x < image.width; ++x)
        greys.push_back(image.row(0)[x * 3]);
    return greys;
}

}  // namespace

TEST(Jpeg, EncodeThenDecodeKeepsSizeAndContent)
{
    const RgbImage original = test::gradientPicture(203, 117);
    const auto bytes = encodeOrFail(original);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    const auto header = ReadJpegHeader(bytes);
    ASSERT_TRUE(header.ok()) << header.error();
    EXPECT_EQ(header.value().width, 203);
    EXPECT_EQ(header.value().height, 117);
    EXPECT_TRUE(header.value().plainYCbCr);
    const auto decoded = DecodeJpeg(bytes);
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    ASSERT_EQ(decoded.value().width, 203);
    ASSERT_EQ(decoded.value().height, 117);
    // Chroma subsampling blurs the sharp blue squares a little; a swapped channel or a shifted row would
    // differ by far more.
    EXPECT_LT(meanDifference(original, decoded.value()), 10.0);
}

TEST(Jpeg, ScalingFactorIsTheSmallestThatKeepsTheTargetSize)
{
    struct Case {
        int width, height, minWidth, minHeight, numerator;
    };
    const Case cases[] = {
        {6000, 4000, 250, 167, 1},                           // 750 x 500 covers a thumbnail
        {3008, 2000, 640, 480, 2},                           // 752 x 500
        {2048, 1536, 250, 188, 1},                           // 256 x 192
        {1000, 1000, 250, 250, 2},                           // exactly 250 x 250
        {1001, 1000, 250, 250, 2},                           // 251 x 250
        {999, 999, 250, 250, 2},                             // the library rounds up: ceil(249.75) = 250
        {996, 996, 250, 250, 3},                             // 2/8 gives only 249
        {640, 480, 640, 480, 8},   {100, 100, 250, 250, 8},  // never enlarged by the decoder
        {3008, 2000, 0, 0, 8},                               // no target: full size
        {4000, 500, 250, 31, 1},                             // 500 x 63
        {4000, 500, 1600, 10, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseScaleNumerator(c.width, c.height, c.minWidth, c.minHeight), c.numerator)
            << c.width << "x" << c.height << " for " << c.minWidth << "x" << c.minHeight;
    }
}

TEST(Jpeg, ScaledDecodeGivesTheLibrarysRoundedSize)
{
    const auto bytes = encodeOrFail(test::gradientPicture(1001, 667));
    struct Case {
        int minWidth, minHeight, width, height;
    };
    const Case cases[] = {{125, 80, 126, 84}, {250, 160, 251, 167}, {300, 100, 376, 251}, {0, 0, 1001, 667}};
    for (const Case& c : cases) {
        const auto decoded = DecodeJpeg(bytes, {c.minWidth, c.minHeight});
        ASSERT_TRUE(decoded.ok()) << decoded.error();
        EXPECT_EQ(decoded.value().width, c.width);
        EXPECT_EQ(decoded.value().height, c.height);
        EXPECT_GE(decoded.value().width, c.minWidth);
        EXPECT_GE(decoded.value().height, c.minHeight);
    }
}

TEST(Jpeg, GreyAndCmykPicturesDecodeToRgb)
{
    EXPECT_FALSE(ReadJpegHeader(test::greyJpeg(40, 30, 77)).value().plainYCbCr);
    const auto grey = DecodeJpeg(test::greyJpeg(40, 30, 77));
    ASSERT_TRUE(grey.ok()) << grey.error();
    EXPECT_NEAR(grey.value().row(10)[30], 77, 2);
    EXPECT_EQ(grey.value().row(10)[30], grey.value().row(10)[31]);
    EXPECT_EQ(grey.value().row(10)[30], grey.value().row(10)[32]);

    // Adobe's inverted CMYK: stored 255 means no ink. No cyan, full magenta and yellow, no black: red.
    const std::uint8_t red[4] = {255, 0, 0, 255};
    EXPECT_FALSE(ReadJpegHeader(test::cmykJpeg(40, 30, red)).value().plainYCbCr);
    const auto cmyk = DecodeJpeg(test::cmykJpeg(40, 30, red));
    ASSERT_TRUE(cmyk.ok()) << cmyk.error();
    EXPECT_NEAR(cmyk.value().row(5)[15], 255, 3);
    EXPECT_NEAR(cmyk.value().row(5)[16], 0, 3);
    EXPECT_NEAR(cmyk.value().row(5)[17], 0, 3);
}

TEST(Jpeg, DamagedDataGivesAnErrorNotACrash)
{
    const auto good = encodeOrFail(test::gradientPicture(160, 120));
    auto cut = [&](std::size_t size) { return std::vector<std::uint8_t>(good.begin(), good.begin() + size); };
    std::vector<std::uint8_t> garbledScan = good;
    for (std::size_t i = garbledScan.size() / 2; i < garbledScan.size() / 2 + 64; ++i)
        garbledScan[i] = 0xFF;  // a run of marker prefixes in the middle of the entropy-coded data
    std::vector<std::uint8_t> badDimensions = good;
    for (std::size_t i = 0; i + 9 < badDimensions.size(); ++i) {
        if (badDimensions[i] == 0xFF && badDimensions[i + 1] == 0xC0) {
            badDimensions[i + 5] = badDimensions[i + 6] = 0;  // height 0
            break;
        }
    }
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases = {
        {"empty", {}},
        {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a', 0, 0}},
        {"start of image only", {0xFF, 0xD8}},
        {"cut in the header", cut(100)},
        {"cut in the middle of the scan", cut(good.size() / 2)},
        {"cut before the end marker", cut(good.size() - 2)},
        {"garbled scan", garbledScan},
        {"zero height", badDimensions},
    };
    for (const auto& [name, bytes] : cases) {
        const auto decoded = DecodeJpeg(bytes);
        EXPECT_FALSE(decoded.ok()) << name;
        EXPECT_FALSE(decoded.error().empty()) << name;
    }
}

TEST(Jpeg, PicturesBeyondTheMemoryLimitAreRefused)
{
    const auto bytes = encodeOrFail(test::gradientPicture(400, 300));
    DecodeOptions options;
    options.maxMemory = 100 * 1000;
    EXPECT_FALSE(DecodeJpeg(bytes, options).ok());
    options.minWidth = 50;  // 1/8 scale: 50 x 38 pixels fit
    options.minHeight = 38;
    EXPECT_TRUE(DecodeJpeg(bytes, options).ok());
}

TEST(Resample, AveragesAreasWhenShrinkingAndInterpolatesWhenEnlarging)
{
    struct Case {
        RgbImage source;
        int width;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {rowOf({0, 0, 255, 255}), 2, {0, 255}},
        {rowOf({0, 90, 255}), 2, {30, 200}},  // the middle pixel is split half and half
        {rowOf({0, 255}), 4, {0, 64, 191, 255}},
        {rowOf({10, 20, 30}), 3, {10, 20, 30}},
        {rowOf({0, 255, 0, 255, 0, 255}), 3, {128, 128, 128}},  // a fine pattern becomes grey, no aliasing
        {rowOf({7}), 5, {7, 7, 7, 7, 7}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(greysOf(Resample(c.source, c.width, 1)), c.expected);
}

TEST(Resample, KeepsAUniformColourAtAnySize)
{
    RgbImage source(37, 23);
    for (std::size_t i = 0; i < source.pixels.size(); i += 3) {
        source.pixels[i] = 200;
        source.pixels[i + 1] = 13;
        source.pixels[i + 2] = 255;
    }
    for (auto [w, h] : {std::pair{5, 3}, {37, 1}, {100, 71}, {1, 1}, {36, 24}}) {
        const RgbImage scaled = Resample(source, w, h);
        ASSERT_EQ(scaled.width, w);
        ASSERT_EQ(scaled.height, h);
        for (std::size_t i = 0; i < scaled.pixels.size(); i += 3) {
            ASSERT_EQ(scaled.pixels[i], 200);
            ASSERT_EQ(scaled.pixels[i + 1], 13);
            ASSERT_EQ(scaled.pixels[i + 2], 255);
        }
    }
}

TEST(Resample, BlitClipsAtTheCanvasEdges)
{
    RgbImage canvas(4, 3);
    RgbImage dot = rowOf({9, 9});
    Blit(dot, canvas, 3, 2);
    Blit(dot, canvas, -1, 0);
    EXPECT_EQ(canvas.row(2)[9], 9);
    EXPECT_EQ(canvas.row(0)[0], 9);
    EXPECT_EQ(canvas.row(0)[3], 0);
    EXPECT_EQ(canvas.row(1)[0], 0);
}

namespace {

// A file in a fresh temporary folder, removed with the object.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::vector<std::uint8_t>& bytes)
    {
        char folder[] = "/tmp/imaging-test-XXXXXX";
        m_folder = ::mkdtemp(folder);
        m_path = m_folder + "/picture.jpg";
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    ~TemporaryFile()
    {
        std::remove(m_path.c_str());
        ::rmdir(m_folder.c_str());
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_folder, m_path;
};

}  // namespace

TEST(JpegFile, DecodesInChunksSkipsLargeSegmentsAndLetsTheCallerChoose)
{
    const auto jpeg = encodeOrFail(test::gradientPicture(640, 400));
    // A 300 KB application segment after the start of image is skipped, not read.
    std::vector<std::uint8_t> padded(jpeg.begin(), jpeg.begin() + 2);
    for (int segment = 0; segment < 5; ++segment) {
        const std::uint8_t header[] = {0xFF, 0xE2, 0xFF, 0xFF};
        padded.insert(padded.end(), header, header + 4);
        padded.insert(padded.end(), 0xFFFF - 2, std::uint8_t(segment));
    }
    padded.insert(padded.end(), jpeg.begin() + 2, jpeg.end());
    const TemporaryFile file(padded);

    JpegHeader seen;
    const auto scaled = DecodeJpegFile(file.path(), [&](const JpegHeader& picture) {
        seen = picture;
        return DecodeTarget{true, 150, 90};
    });
    ASSERT_TRUE(scaled.ok()) << scaled.error();
    EXPECT_EQ(seen.width, 640);
    EXPECT_EQ(scaled.value().header.height, 400);
    EXPECT_EQ(scaled.value().image.width, 160);  // 2/8 of 640
    EXPECT_EQ(scaled.value().image.height, 100);
    EXPECT_LT(meanDifference(Resample(test::gradientPicture(640, 400), 160, 100), scaled.value().image), 10.0);

    const auto declined = DecodeJpegFile(file.path(), [](const JpegHeader&) { return DecodeTarget{false}; });
    ASSERT_TRUE(declined.ok());
    EXPECT_TRUE(declined.value().image.empty());
    EXPECT_EQ(declined.value().header.width, 640);
}

TEST(JpegFile, DamagedMissingAndSpecialFilesGiveErrors)
{
    const auto jpeg = encodeOrFail(test::gradientPicture(300, 200));
    const TemporaryFile truncated(std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3));
    const TemporaryFile empty({});
    const TemporaryFile good(jpeg);
    const auto full = [](const JpegHeader&) { return DecodeTarget{}; };
    for (const std::string& path :
         {truncated.path(), empty.path(), std::string("/nonexistent/x.jpg"), std::string("/tmp")}) {
        const auto decoded = DecodeJpegFile(path, full);
        EXPECT_FALSE(decoded.ok()) << path;
        EXPECT_NE(decoded.error().find(path), std::string::npos) << decoded.error();
    }
    EXPECT_TRUE(DecodeJpegFile(good.path(), full).ok());
}
