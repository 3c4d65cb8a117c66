// The files a capture writes, and its options, without a demo: PNG pictures, contact sheets, the
// song segment for videos, video names.
#include "app/LaunchOptions.h"
#include "app/Song.h"
#include "app/audio/Mixer.h"
#include "app/audio/SoundDecoder.h"
#include "app/audio/Stream.h"
#include "app/capture/ContactSheet.h"
#include "app/capture/FfmpegPipe.h"
#include "app/capture/LabelFont.h"
#include "app/capture/PngFrameFolder.h"
#include "app/capture/PngWriter.h"
#include "app/capture/SongSegment.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <sndfile.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// RGB pixels of a PNG file, top row first; empty if it does not decode.
std::vector<uint8_t> decodePng(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return pixels;
}

// A BGRA picture as read back (bottom row first) whose every pixel is distinct.
std::vector<uint8_t> glPicture(int width, int height) {
    std::vector<uint8_t> bgra(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(x * 3);
            p[1] = static_cast<uint8_t>(y * 5);
            p[2] = static_cast<uint8_t>(x ^ y);
            p[3] = 0; // GL's alpha is not part of the picture
        }
    return bgra;
}

TEST(PngWriterTest, WritesTheReadBackPicturesTopRowFirstAndTheSameEveryTime) {
    TempDir dir;
    const int w = 37, h = 21; // odd sizes: no row padding to hide behind
    const std::vector<uint8_t> bgra = glPicture(w, h);
    PngWriter writer(w, h, true);
    std::string error;
    ASSERT_TRUE(writer.write(dir.file("a.png").c_str(), bgra.data(), PngWriter::Bgra, w * 4, true, error))
        << error;
    ASSERT_TRUE(writer.write(dir.file("b.png").c_str(), bgra.data(), PngWriter::Bgra, w * 4, true, error))
        << error;
    EXPECT_EQ(readFile(dir.file("a.png")), readFile(dir.file("b.png")));

    int dw = 0, dh = 0;
    std::vector<uint8_t> rgb = decodePng(dir.file("a.png"), dw, dh);
    ASSERT_EQ(dw, w);
    ASSERT_EQ(dh, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(rgb[(static_cast<size_t>(y) * w + x) * 3 + c],
                          bgra[(static_cast<size_t>(h - 1 - y) * w + x) * 4 + 2 - c])
                    << x << "," << y;

    // Top-down RGB input, as the contact sheet has it, gives the same picture.
    PngWriter slow(w, h, false);
    ASSERT_TRUE(slow.write(dir.file("c.png").c_str(), rgb.data(), PngWriter::Rgb, w * 3, false, error))
        << error;
    int cw = 0, ch = 0;
    EXPECT_EQ(decodePng(dir.file("c.png"), cw, ch), rgb);
}

TEST(PngWriterTest, AnUnwritablePlaceFailsWithItsNameAndLeavesNothing) {
    TempDir dir;
    const std::vector<uint8_t> bgra = glPicture(8, 8);
    PngWriter writer(8, 8, true);
    std::string error;
    const std::string path = dir.file("missing/frame.png");
    EXPECT_FALSE(writer.write(path.c_str(), bgra.data(), PngWriter::Bgra, 32, true, error));
    EXPECT_EQ(error.rfind(path, 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(PngFrameFolderTest, NumberedNamesAndAFolderMadeOnDemand) {
    EXPECT_EQ(PngFrameFolder::frameName(0), "frame_000000.png");
    EXPECT_EQ(PngFrameFolder::frameName(1234567), "frame_1234567.png");
    TempDir dir;
    PngFrameFolder folder(dir.file("deep/er/"), 4, 4);
    std::string error;
    ASSERT_TRUE(folder.open(error)) << error;
    const std::vector<uint8_t> bgra = glPicture(4, 4);
    ASSERT_TRUE(folder.writeFrame(0, bgra.data(), error)) << error;
    ASSERT_TRUE(folder.writeFrame(1, bgra.data(), error)) << error;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("deep/er")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frame_000000.png", "frame_000001.png"}));

    writeFile(dir.file("file"), "x");
    PngFrameFolder notAFolder(dir.file("file/"), 4, 4);
    EXPECT_FALSE(notAFolder.open(error));
    EXPECT_NE(error.find("file"), std::string::npos) << error;
}

TEST(ContactSheetTest, GridLayout) {
    // Full-HD stills: four columns of 320-pixel cells, as many rows as needed.
    ContactSheet::Layout l = ContactSheet::layout(5, 1920, 1080);
    EXPECT_EQ(l.columns, 4);
    EXPECT_EQ(l.rows, 2);
    EXPECT_EQ(l.cellWidth, 320);
    EXPECT_EQ(l.cellHeight, 180);
    EXPECT_EQ(l.width, 4 * 320 + 5 * l.margin);
    EXPECT_EQ(l.height, 2 * (180 + l.labelHeight) + 3 * l.margin);
    EXPECT_EQ(l.x(0), l.margin);
    EXPECT_EQ(l.x(3), l.margin + 3 * (320 + l.margin));
    EXPECT_EQ(l.x(4), l.margin) << "the fifth starts the second row";
    EXPECT_EQ(l.y(4), l.margin + 180 + l.labelHeight + l.margin);
    EXPECT_GE(l.labelHeight, ContactSheet::kFontSize);

    // Small stills are not enlarged; few stills make few columns.
    l = ContactSheet::layout(2, 200, 100);
    EXPECT_EQ(l.columns, 2);
    EXPECT_EQ(l.rows, 1);
    EXPECT_EQ(l.cellWidth, 200);
    EXPECT_EQ(l.cellHeight, 100);
    // Odd aspects keep theirs, rounded.
    l = ContactSheet::layout(8, 1000, 333);
    EXPECT_EQ(l.rows, 2);
    EXPECT_EQ(l.cellHeight, 107);
    EXPECT_EQ(ContactSheet::layout(0, 320, 180).width, 0);
}

TEST(ContactSheetTest, StillsLandInTheirCellsWithALabelUnderneath) {
    const int w = 640, h = 360;
    ContactSheet sheet(5, w, h); // two cells stay empty
    std::string error;
    ASSERT_TRUE(sheet.loadFont(LabelFont::defaultPath(), error)) << error;
    const ContactSheet::Layout& l = sheet.sheetLayout();
    // Still i is one flat colour (red, green, blue) with a white bottom row (in GL's order the
    // first row).
    for (int i = 0; i < 3; ++i) {
        std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4, 0);
        for (size_t p = 0; p < bgra.size(); p += 4)
            bgra[p + 2 - static_cast<size_t>(i)] = 200;
        std::fill(bgra.begin(), bgra.begin() + w * 4, 255);
        sheet.place(i, bgra.data(), "beat " + std::to_string(i * 4) + " \xC2\xB7 hello");
    }
    const std::vector<uint8_t>& px = sheet.pixels();
    auto at = [&](int x, int y) { return &px[(static_cast<size_t>(y) * l.width + x) * 3]; };
    for (int i = 0; i < 3; ++i) {
        const uint8_t* middle = at(l.x(i) + l.cellWidth / 2, l.y(i) + l.cellHeight / 2);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(middle[c], c == i ? 200 : 0) << "still " << i;
        // Halved, the white row makes the cell's bottom row half white.
        const uint8_t* bottom = at(l.x(i), l.y(i) + l.cellHeight - 1);
        for (int c = 0; c < 3; ++c)
            EXPECT_GE(bottom[c], 127) << "the still's bottom row at the bottom, still " << i;
        // The label band holds text: some pixels much brighter than the background.
        int bright = 0;
        for (int y = l.y(i) + l.cellHeight; y < l.y(i) + l.cellHeight + l.labelHeight; ++y)
            for (int x = l.x(i); x < l.x(i) + l.cellWidth; ++x)
                bright += at(x, y)[0] > 150;
        EXPECT_GT(bright, 30) << "label of still " << i;
    }
    const uint8_t* gap = at(l.x(1) - 1, l.y(1) + 5);
    const uint8_t* unused = at(l.x(3) + 10, l.y(3) + 10);
    EXPECT_EQ(std::vector<uint8_t>(gap, gap + 3), std::vector<uint8_t>(unused, unused + 3))
        << "margins and the empty cell show the background";

    TempDir dir;
    ASSERT_TRUE(sheet.write(dir.file("sheet.png"), error)) << error;
    int dw = 0, dh = 0;
    EXPECT_EQ(decodePng(dir.file("sheet.png"), dw, dh), px);
    EXPECT_EQ(dw, l.width);
    EXPECT_EQ(dh, l.height);

    LabelFont missing;
    EXPECT_FALSE(missing.load(dir.file("no-font.ttf"), 14, error));
    EXPECT_NE(error.find("no-font.ttf"), std::string::npos);
}

TEST(SongSegmentTest, TheSegmentIsTheSongPaddedWithSilence) {
    auto mixer = audio::Mixer::openOffline();
    audio::DecodedSound sound;
    const int frames = 1000;
    for (int i = 0; i < frames * 2; ++i)
        sound.samples.push_back(static_cast<int16_t>(i + 1));
    sound.rate = sound.fileRate = 44100;
    sound.channels = sound.fileChannels = 2;
    sound.fileFrames = frames;
    Ref<Song> song = makeRef<Song>();
    song->stream = audio::Stream::fromSound(*mixer, std::move(sound), "ramp");
    ASSERT_TRUE(song->stream);

    TempDir dir;
    std::string error;
    // From 10 frames before the start to 5000 frames past the end.
    ASSERT_TRUE(writeSongSegment(*song, -10, 6010, dir.file("s.wav"), error)) << error;
    SF_INFO info{};
    SNDFILE* file = sf_open(dir.file("s.wav").c_str(), SFM_READ, &info);
    ASSERT_TRUE(file);
    EXPECT_EQ(info.frames, 6010);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    std::vector<int16_t> got(6010 * 2);
    EXPECT_EQ(sf_readf_short(file, got.data(), 6010), 6010);
    sf_close(file);
    EXPECT_EQ(got[0], 0);
    EXPECT_EQ(got[19], 0);
    EXPECT_EQ(got[20], 1) << "the song's first sample after 10 frames of silence";
    EXPECT_EQ(got[20 + 1999], 2000);
    EXPECT_EQ(got[20 + 2000], 0);
    EXPECT_EQ(got.back(), 0);

    ASSERT_TRUE(writeSongSegment(*song, 400, 10, dir.file("t.wav"), error));
    file = sf_open(dir.file("t.wav").c_str(), SFM_READ, &info);
    ASSERT_TRUE(file);
    EXPECT_EQ(info.frames, 10);
    int16_t first[2] = {};
    sf_readf_short(file, first, 1);
    sf_close(file);
    EXPECT_EQ(first[0], 801);

    EXPECT_FALSE(writeSongSegment(*song, 0, 10, dir.file("none/s.wav"), error));
    EXPECT_NE(error.find("none/s.wav"), std::string::npos) << error;
}

TEST(FfmpegPipeTest, VideoNames) {
    FfmpegPipe::Container c;
    EXPECT_TRUE(FfmpegPipe::containerFor("out.mp4", c));
    EXPECT_EQ(c, FfmpegPipe::Container::Mp4);
    EXPECT_TRUE(FfmpegPipe::containerFor("dir.v1/Demo.WEBM", c));
    EXPECT_EQ(c, FfmpegPipe::Container::Webm);
    EXPECT_TRUE(FfmpegPipe::containerFor("a.mkv", c));
    EXPECT_EQ(c, FfmpegPipe::Container::Mkv);
    for (const char* bad : {"out.avi", "out", "dir.mp4/out", "out.mp4.txt", ".mp"})
        EXPECT_FALSE(FfmpegPipe::containerFor(bad, c)) << bad;
    EXPECT_EQ(FfmpegPipe::partialName("videos/demo.mp4"), "videos/demo.partial.mp4");
    EXPECT_EQ(FfmpegPipe::partialName("demo.WEBM"), "demo.partial.WEBM");
}

TEST(FfmpegPipeTest, FindsExecutablesOnThePath) {
    TempDir dir;
    writeFile(dir.file("tool"), "#!/bin/sh\n");
    writeFile(dir.file("plain"), "not executable");
    ::chmod(dir.file("tool").c_str(), 0755);
    const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", ("/nonexistent:" + dir.path()).c_str(), 1);
    EXPECT_EQ(FfmpegPipe::findOnPath("tool"), dir.file("tool"));
    EXPECT_EQ(FfmpegPipe::findOnPath("plain"), "");
    EXPECT_EQ(FfmpegPipe::findOnPath("absent"), "");
    ::setenv("PATH", saved.c_str(), 1);
}

bool parse(std::vector<const char*> args, LaunchOptions& out, std::string& error) {
    args.insert(args.begin(), "vorndle");
    return out.parse(static_cast<int>(args.size()), args.data(), error);
}

TEST(CaptureOptionsTest, ReadAndCheckedAgainstEachOther) {
    LaunchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--render", "out.mp4", "--from", "4", "--to", "8.5", "--fps", "30"}, o, error))
        << error;
    EXPECT_TRUE(o.capturing());
    EXPECT_EQ(o.renderPath, "out.mp4");
    EXPECT_EQ(*o.fromBeat, 4.0);
    EXPECT_EQ(*o.toBeat, 8.5);
    EXPECT_EQ(o.fps, 30);
    EXPECT_TRUE(o.checkCapture(error)) << error;

    LaunchOptions stills;
    ASSERT_TRUE(parse({"--stills", "0,4.5,12", "--out", "shots", "--sheet", "sheet.png"}, stills, error));
    EXPECT_EQ(stills.stillBeats, (std::vector<double>{0, 4.5, 12}));
    EXPECT_TRUE(stills.checkCapture(error)) << error;

    LaunchOptions live;
    ASSERT_TRUE(parse({"--from", "7"}, live, error));
    EXPECT_FALSE(live.capturing()) << "--from alone plays live";
    EXPECT_TRUE(live.checkCapture(error));

    // Unreadable values are command-line errors...
    for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{{"--from", "four"},
                                                                              {"--to", "nan"},
                                                                              {"--fps", "29.97"},
                                                                              {"--stills", "1,,2"},
                                                                              {"--stills", "1,"},
                                                                              {"--render", ""},
                                                                              {"--render"}}) {
        LaunchOptions b;
        EXPECT_FALSE(parse(bad, b, error)) << bad[0];
    }
    // ...readable but unusable ones are capture errors, one line each.
    for (std::vector<const char*> bad :
         std::vector<std::vector<const char*>>{{"--render", "o/", "--fps", "0"},
                                               {"--render", "o/", "--fps", "-5"},
                                               {"--render", "o/", "--fps", "1001"},
                                               {"--render", "o/", "--from", "8", "--to", "8"},
                                               {"--render", "o/", "--from", "8", "--to", "2"},
                                               {"--to", "8"},
                                               {"--fps", "30"},
                                               {"--share", "--no-dialog"},
                                               {"--stills", "1"},
                                               {"--sheet", "s.png"},
                                               {"--stills", "1", "--out", "d", "--from", "2"},
                                               {"--render", "o/", "--stills", "1", "--out", "d"}}) {
        LaunchOptions b;
        ASSERT_TRUE(parse(bad, b, error)) << bad[0] << " " << bad[1];
        error.clear();
        EXPECT_FALSE(b.checkCapture(error)) << bad[0] << " " << bad[1];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

} // namespace
