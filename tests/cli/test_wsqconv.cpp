#include <gtest/gtest.h>

#include "cli/wsqconv.h"
#include "tests/imagelib/bmp_bytes.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

int run(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "wsqconv");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  return run_wsqconv(static_cast<int>(argv.size()), argv.data());
}

class Wsqconv : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(Wsqconv, BitmapFilesConvertByteExactly) {
  for (const uint16_t bits : {1, 4, 8, 24}) {
    const std::string input = dir.file("in.bmp");
    const std::string output = dir.file("out.bmp");
    write_file_bytes(input, pattern_bmp(7, 3, bits));
    ASSERT_EQ(run({input, output}), 0) << bits;
    EXPECT_EQ(read_file_bytes(output), read_file_bytes(input)) << bits;
  }
}

TEST_F(Wsqconv, FailuresNameTheFileAndTheLibraryMessage) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(run({dir.file("missing.bmp"), dir.file("out.bmp")}), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "wsqconv: " + dir.file("missing.bmp") + ": Unable to open file\n");

  write_file_bytes(dir.file("in.bmp"), pattern_bmp(2, 2, 24));
  testing::internal::CaptureStderr();
  EXPECT_EQ(run({dir.file("in.bmp"), dir.file("out.xyz")}), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "wsqconv: " + dir.file("out.xyz") + ": Unsupported file extension\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.xyz")));
}

TEST_F(Wsqconv, InfoPrintsEveryFileAndFailsWhenOneFails) {
  write_file_bytes(dir.file("a.bmp"), pattern_bmp(7, 3, 8));
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(run({"--info", dir.file("a.bmp"), dir.file("b.bmp"), dir.file("a.bmp")}), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string line = dir.file("a.bmp") + ": width = 7, height = 3, depth = 8\n";
  EXPECT_EQ(out, line + line);
  EXPECT_NE(err.find("b.bmp: Unable to open file"), std::string::npos);
}

std::string info_line(const std::string& file) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(run({"--info", file}), 0);
  return testing::internal::GetCapturedStdout();
}

TEST_F(Wsqconv, WsqOutputTakesItsOptionsAndInfoShowsThem) {
  write_file_bytes(dir.file("in.bmp"), pattern_bmp(70, 66, 8));
  ASSERT_EQ(run({"-q", "--ppi", "1000", "--comment", "left thumb", "--bitrate", "1.5", dir.file("in.bmp"),
                 dir.file("a.wsq")}),
            0);
  // The NISTCOM comment follows on the same line, its fields joined. The
  // palette source is encoded by its colours, as a 24-bit picture.
  EXPECT_EQ(info_line(dir.file("a.wsq")),
            dir.file("a.wsq") +
                ": width = 70, height = 66, dpi = 1000, depth = 8, Comments: left thumb, NISTCOM: NIST_COM 9; "
                "PIX_WIDTH 70; PIX_HEIGHT 66; PIX_DEPTH 24; PPI 1000; LOSSY 1; COLORSPACE GRAY; COMPRESSION WSQ; "
                "WSQ_BITRATE 1.500000\n");

  // A WSQ source passes its resolution on; other sources give 500.
  ASSERT_EQ(run({"-q", dir.file("a.wsq"), dir.file("b.wsq")}), 0);
  EXPECT_NE(info_line(dir.file("b.wsq")).find("dpi = 1000, depth = 8"), std::string::npos);
  ASSERT_EQ(run({"-q", dir.file("in.bmp"), dir.file("c.wsq")}), 0);
  EXPECT_NE(info_line(dir.file("c.wsq")).find("dpi = 500, depth = 8"), std::string::npos);
  ASSERT_EQ(run({"-q", "--ppi", "-1", dir.file("in.bmp"), dir.file("d.wsq")}), 0);
  EXPECT_NE(info_line(dir.file("d.wsq")).find("dpi unknown, depth = 8"), std::string::npos);

  // Back to BMP the picture stays 8-bit grey and keeps its resolution.
  ASSERT_EQ(run({"-q", dir.file("a.wsq"), dir.file("back.bmp")}), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(run({"--info", dir.file("back.bmp")}), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            dir.file("back.bmp") + ": width = 70, height = 66, dpi = 1000, depth = 8\n");
}

// A grey picture goes PNG -> WSQ -> PNG and comes back the same size, still
// grey, with the resolution the WSQ file was given.
TEST_F(Wsqconv, PngConvertsToWsqAndBack) {
  write_file_bytes(dir.file("in.bmp"), pattern_bmp(96, 80, 8));
  ASSERT_EQ(run({"-q", dir.file("in.bmp"), dir.file("in.png")}), 0);
  ASSERT_EQ(run({"-q", "--bitrate", "2.25", dir.file("in.png"), dir.file("mid.wsq")}), 0);
  ASSERT_EQ(run({"-q", dir.file("mid.wsq"), dir.file("out.png")}), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(run({"--info", dir.file("out.png")}), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            dir.file("out.png") + ": width = 96, height = 80, dpi = 500, depth = 8\n");
}

TEST_F(Wsqconv, QuietSilencesTheLibraryButNotFailures) {
  write_file_bytes(dir.file("small.bmp"), pattern_bmp(8, 8, 8));
  testing::internal::CaptureStderr();
  EXPECT_EQ(run({"--quiet", dir.file("small.bmp"), dir.file("small.wsq")}), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "wsqconv: " + dir.file("small.wsq") + ": Invalid requested image size\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(run({dir.file("small.bmp"), dir.file("small.wsq")}), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ERROR"), std::string::npos);
}

TEST_F(Wsqconv, UsageErrorsAndHelp) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(run({"only-one.bmp"}), 2);
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  testing::internal::CaptureStdout();
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Usage: wsqconv"), std::string::npos);
}

}  // namespace
