// Stands in for ffmpeg.exe and ffprobe.exe in the Windows capture test, which has no Windows build
// of ffmpeg: it shows what the capture tool's pipes and arguments carry, not what ffmpeg makes.
// As ffmpeg (any name but ffprobe): reads its input to the end and writes to the file named last
// "video,N" (the frames of -video_size that came, or -1 when a part of a frame came), or with two
// -i inputs, the first one's lines and "audio,1". As ffprobe: prints the file named last. A
// "fail" in the output's name makes it say why on stderr and end with status 1.
#include <windows.h>
// After windows.h, which it needs.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string read_all(std::FILE* file) {
  std::string text;
  char chunk[65536];
  std::size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
  return text;
}

std::string file_text(const std::wstring& path) {
  std::FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return {};
  std::string text = read_all(file);
  std::fclose(file);
  return text;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::vector<std::wstring> args(argv, argv + count);
  LocalFree(argv);
  const std::wstring& last = args.back();
  if (args[0].find(L"ffprobe") != std::wstring::npos) {
    std::fputs(file_text(last).c_str(), stdout);
    return 0;
  }
  if (last.find(L"fail") != std::wstring::npos) {
    std::fputs("a first line\nno space left on the double's disk\n", stderr);
    return 1;
  }
  std::vector<std::wstring> inputs;
  long long frame_bytes = 0;
  for (std::size_t i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == L"-i") inputs.push_back(args[i + 1]);
    if (args[i] == L"-video_size") {
      int width = 0, height = 0;
      swscanf(args[i + 1].c_str(), L"%dx%d", &width, &height);
      frame_bytes = 3LL * width * height;
    }
  }
  std::string out;
  if (inputs.size() == 2) {
    out = file_text(inputs[0]) + "audio,1\n";
  } else {
    _setmode(_fileno(stdin), _O_BINARY);
    const long long bytes = static_cast<long long>(read_all(stdin).size());
    const bool whole = frame_bytes > 0 && bytes % frame_bytes == 0;
    out = "video," + std::to_string(whole ? bytes / frame_bytes : -1) + "\n";
  }
  std::FILE* file = _wfopen(last.c_str(), L"wb");
  if (file == nullptr) return 1;
  std::fputs(out.c_str(), file);
  return std::fclose(file) == 0 ? 0 : 1;
}
