// swirlbeam-capture when things go wrong: a full disk, a stop signal, outputs that must not be
// taken, a final step that fails. Each says why on one line and leaves no broken file behind.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "capture_runs.h"
#include "gtest/gtest.h"
#include "png_writer.h"
#include "support/fixtures.h"

namespace {

// Mounts a tmpfs of 512 KiB on $1, fills all but $2 bytes of it, runs the tool, then lists what
// is left there as "name size" lines: the mount goes with the namespace.
const char* small_disk_script = R"sh(
dir=$1; room=$2; shift 2
mount -t tmpfs -o size=512k tmpfs "$dir" || exit 99
head -c $((524288 - room)) /dev/zero > "$dir/fill" 2>/dev/null
"$@"
status=$?
rm "$dir/fill"
for f in "$dir"/*; do [ -e "$f" ] && echo "${f##*/} $(stat -c %s "$f")"; done
exit $status
)sh";

// A PATH whose ffmpeg runs `mux` (shell commands) in place of the step that adds the sound, and
// is the real one otherwise.
ProcessOptions ffmpeg_whose_mux(const TempDir& shim, const std::string& mux) {
  {
    std::ofstream script(shim.file("ffmpeg"));
    script << "#!/bin/sh\ncase \" $* \" in *\" -nostdin \"*) " << mux
           << ";; esac\nPATH=\"$REAL_PATH\" exec ffmpeg \"$@\"\n";
  }
  chmod(shim.file("ffmpeg").c_str(), 0755);
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  ProcessOptions options;
  options.env["PATH"] = shim.path() + ":" + path;
  options.env["REAL_PATH"] = path;
  return options;
}

bool can_mount_small_disk(const std::string& dir) {
  const ProcessResult r = run_process({"/usr/bin/env", "unshare", "-rm", "sh", "-c",
                                       "mount -t tmpfs -o size=512k tmpfs \"$0\"", dir},
                                      ProcessOptions{});
  return r.exit_status == 0;
}

}  // namespace

// ffmpeg 5.1 exits 0 after "Error writing trailer ... No space left on device".
TEST_F(CaptureRuns, FullDiskEndsWithStatus1OneReasonAndNoFileAtTheOutputsNames) {
  if (!have_ffmpeg()) GTEST_SKIP() << "no ffmpeg";
  const std::string small = out.file("small");
  mkdir(small.c_str(), 0777);
  if (!can_mount_small_disk(small)) GTEST_SKIP() << "no user namespace to mount a tmpfs in";
  struct Case {
    std::string room;  // bytes left free on the disk
    bool audio;
    std::string left;  // the names left there
  };
  // The video is 38 KB with its sound, 18 KB without, the sound alone 294 KB: the runs fill up in
  // the encoding, in the sound, and in the mux, which keeps the encoded pictures (and the whole
  // sound).
  const Case cases[] = {
      {"16384", false, ""}, {"131072", true, ""}, {"327680", true, "a.wav v.mp4.pictures.mp4 "}};
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--media",  media.path(), "--size",  "160x120",
                                     "--fps",    "60",         "--from",  "2990",
                                     "--frames", "100",        "--video", small + "/v.mp4"};
    if (c.audio) args.insert(args.end(), {"--audio", small + "/a.wav"});
    const ProcessResult r = run_capture_tool_through(
        {"/usr/bin/env", "unshare", "-rm", "sh", "-c", small_disk_script, "sh", small, c.room},
        args);
    EXPECT_EQ(r.exit_status, 1) << c.room << r.err;
    EXPECT_TRUE(has_one_line(r.err)) << r.err;
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
    std::string left;
    std::istringstream listing(r.out);
    for (std::string name, size; listing >> name >> size;) left += name + " ";
    EXPECT_EQ(left, c.left) << c.room;
    if (!c.left.empty()) {
      EXPECT_NE(r.err.find("; the pictures are kept in " + small + "/v.mp4.pictures.mp4"),
                std::string::npos)
          << r.err;
    }
    std::cout << "[ room " << c.room << " ] status " << r.exit_status
              << ", left: " << (r.out.empty() ? "nothing\n" : r.out);
  }
}

TEST_F(CaptureRuns, StopSignalsEndTheRunAsTheSignalWouldLeavingOnlyWholePictures) {
  const bool ffmpeg = have_ffmpeg();
  struct Case {
    int signal;
    std::vector<std::string> outputs;
  };
  const std::vector<Case> cases = {
      {SIGINT, {"--audio", "a.wav", "--trace", "t.jsonl"}},
      {SIGTERM, {"--video", "v.mp4"}},
      {SIGHUP, {"--video", "v.mp4", "--audio", "a.wav", "--master", "m.mkv"}}};
  for (const Case& c : cases) {
    if (!ffmpeg && c.signal != SIGINT) continue;
    TempDir run;
    std::vector<std::string> args = {"--media", media.path(), "--size",
                                     "64x48",   "--png",      run.file("png")};
    for (const std::string& a : c.outputs) args.push_back(a.find('.') != a.npos ? run.file(a) : a);
    ProcessOptions options;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER"})
      options.env.emplace(name, std::nullopt);
    const int pid = start_capture_tool(args, options, out.file("out.txt"), out.file("err.txt"));
    ASSERT_GT(pid, 0);
    // Into the run: the first pictures are there.
    for (int i = 0; i < 1000 && folder_entries(run.file("png")).size() < 3; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(folder_entries(run.file("png")).size(), 3u);
    const auto sent = std::chrono::steady_clock::now();
    kill(pid, c.signal);
    const ProcessResult r = wait_process(pid, 20, out.file("err.txt"));
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.signal, c.signal) << r.err;
    EXPECT_TRUE(has_one_line(r.err)) << r.err;
    EXPECT_NE(r.err.find("stopped by"), std::string::npos) << r.err;
    EXPECT_EQ(folder_entries(run.path()), std::vector<std::string>{"png"});
    const auto pictures = folder_entries(run.file("png"));
    for (const std::string& name : pictures) {
      RgbImage image;
      EXPECT_TRUE(read_png(run.file("png/" + name), image)) << name;
    }
    std::cout << "[ signal " << c.signal << " ] ended " << ms << " ms after it, " << pictures.size()
              << " pictures kept\n";
  }
  // Started by nohup: a hang-up is not for it.
  std::signal(SIGHUP, SIG_IGN);
  const int pid = start_capture_tool({"--media", media.path(), "--size", "64x48", "--frames", "60",
                                      "--png", out.file("png"), "--trace", out.file("t.jsonl")},
                                     ProcessOptions{}, out.file("out.txt"), out.file("err.txt"));
  std::signal(SIGHUP, SIG_DFL);
  for (int i = 0; i < 1000 && folder_entries(out.file("png")).size() < 3; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGHUP);
  const ProcessResult r = wait_process(pid, 20, out.file("err.txt"));
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(read_lines(out.file("t.jsonl")).size(), 60u);
}

TEST_F(CaptureRuns, OutputsOnOneFileOrOnTheShowsMediaAreRefusedBeforeAnythingIsWritten) {
  const auto voice = read_bytes(media.file("swirlbeam.wav"));
  mkdir(out.file("old").c_str(), 0777);
  std::ofstream(out.file("old/frame-000007.png")) << "an earlier run";
  const std::vector<std::vector<std::string>> bad = {
      {"--png", out.file("old")},
      {"--video", out.file("x.mkv"), "--master", out.file("x.mkv")},
      {"--video", out.file("s.mp4"), "--audio", out.file("s.mp4")},
      {"--trace", out.file("../" + out.path().substr(out.path().rfind('/') + 1) + "/t"), "--audio",
       out.file("t")},
      {"--audio", "swirlbeam.wav"},  // in the media folder, the working folder by default
      {"--trace", media.file("music.dat")}};
  ProcessOptions in_media;
  in_media.working_dir = media.path();
  for (auto args : bad) {
    args.insert(args.end(), {"--size", "64x48", "--frames", "2"});  // short, were it taken
    const ProcessResult r = run_capture_tool(args, in_media);
    EXPECT_EQ(r.exit_status, 2) << args[0] << " " << args[1] << ": " << r.err;
    EXPECT_TRUE(has_one_line(r.err)) << r.err;
  }
  EXPECT_EQ(read_bytes(media.file("swirlbeam.wav")), voice);
  EXPECT_EQ(folder_entries(out.path()), std::vector<std::string>{"old"});
  EXPECT_EQ(folder_entries(out.file("old")), std::vector<std::string>{"frame-000007.png"});
}

TEST_F(CaptureRuns, DamagedPictureEndsWithTheToolsNameAndStatus1) {
  std::ofstream(media.file("logo.jpg"), std::ios::trunc) << "not a picture";
  const ProcessResult r = capture({"--frames", "1", "--audio", out.file("a.wav")});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "swirlbeam-capture: logo.jpg: not a picture the show can load\n");
  EXPECT_TRUE(folder_entries(out.path()).empty());
}

// An ffmpeg whose mux step fails: the encoded pictures are an hour's work at full size.
TEST_F(CaptureRuns, FailedMuxKeepsTheEncodedPicturesAndSaysWhere) {
  if (!have_ffmpeg()) GTEST_SKIP() << "no ffmpeg";
  TempDir shim;
  const ProcessOptions options = ffmpeg_whose_mux(shim, "echo 'mux refused' >&2; exit 1");
  const ProcessResult r =
      run_capture_tool({"--media", media.path(), "--size", "64x48", "--from", "100", "--frames",
                        "12", "--video", out.file("v.mp4"), "--audio", out.file("a.wav")},
                       options);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_TRUE(has_one_line(r.err)) << r.err;
  EXPECT_NE(r.err.find("mux refused; the pictures are kept in " + out.file("v.mp4.pictures.mp4")),
            std::string::npos)
      << r.err;
  EXPECT_EQ(folder_entries(out.path()), (std::vector<std::string>{"a.wav", "v.mp4.pictures.mp4"}));
  const ProcessResult probe =
      run_process({"/usr/bin/env", "ffprobe", "-v", "error", "-count_packets", "-show_entries",
                   "stream=nb_read_packets", "-of", "csv=p=0", out.file("v.mp4.pictures.mp4")},
                  ProcessOptions{});
  EXPECT_EQ(probe.out, "12\n");
}

TEST_F(CaptureRuns, StopSignalDuringTheMuxLeavesNothing) {
  if (!have_ffmpeg()) GTEST_SKIP() << "no ffmpeg";
  TempDir shim;
  ProcessOptions options = ffmpeg_whose_mux(shim, "echo on > \"$MUXING\"; exec sleep 30");
  options.env["MUXING"] = out.file("muxing");
  const int pid = start_capture_tool(
      {"--media", media.path(), "--size", "64x48", "--from", "100", "--frames", "12", "--video",
       out.file("v.mp4"), "--audio", out.file("a.wav"), "--trace", out.file("t.jsonl")},
      options, shim.file("out.txt"), shim.file("err.txt"));
  ASSERT_GT(pid, 0);
  for (int i = 0; i < 1000 && read_bytes(out.file("muxing")).empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGTERM);
  const ProcessResult r = wait_process(pid, 10, shim.file("err.txt"));
  EXPECT_EQ(r.signal, SIGTERM) << r.err;
  EXPECT_EQ(folder_entries(out.path()), std::vector<std::string>{"muxing"});
}
