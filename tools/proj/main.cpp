// weltnetz-proj: the projection engine from the command line. Reads "lon lat"
// (or "x y" with --inverse) per line and writes "X Y CODE" per line.
//
// Exit status: 0 when every line was read and written, 1 when a line was bad
// (written as "* * -1", the reason on stderr) or the output could not be
// written (the reason on stderr), 2 for bad options.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>

#include "tools/common/ProjectionSetup.h"
#include "tools/proj/Distortion.h"
#include "weltnetz/Version.h"

namespace {

// A line longer than this is refused rather than held: the input may be a
// stream of any size, and no line of two numbers needs more.
constexpr std::size_t kMaxLine = 4096;

// Writes to stdout; false once a write has failed, which the caller reports.
bool Put(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = std::vprintf(format, args);
  va_end(args);
  return n >= 0;
}

// What was written must reach its destination: a full disk, /dev/full or a
// closed stdout fail only when the buffer is flushed.
int Finish(int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "weltnetz-proj: cannot write the output: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
}

int WriteFailed() {
  std::fprintf(stderr, "weltnetz-proj: cannot write the output: %s\n", std::strerror(errno));
  return 1;
}

enum class LineRead { Line, TooLong, End };

// The next line of in, without its newline, in a buffer of at most kMaxLine
// bytes; a longer line is read to its end in pieces and dropped.
LineRead ReadLine(std::FILE* in, std::string& line) {
  line.clear();
  bool any = false, tooLong = false;
  for (int c; (c = std::getc(in)) != EOF;) {
    any = true;
    if (c == '\n') return tooLong ? LineRead::TooLong : LineRead::Line;
    if (line.size() < kMaxLine)
      line.push_back(static_cast<char>(c));
    else
      tooLong = true;
  }
  if (!any) return LineRead::End;
  return tooLong ? LineRead::TooLong : LineRead::Line;
}

void Usage(const char* message) {
  if (message) std::fprintf(stderr, "weltnetz-proj: %s\n", message);
  std::fprintf(stderr,
               "usage: weltnetz-proj [options] < points\n"
               "       weltnetz-proj --list [--lang de|en]\n"
               "  --inverse       read pixel x y, write longitude latitude\n"
               "  --show          print the parameters after set-up and exit\n"
               "  --distortion    write \"a b area angle\" (Tissot's indicatrix, angle in\n"
               "                  degrees) per point, \"* * * *\" where there is none\n"
               "  --list          print the catalogue: position, enum ordinal, enum name,\n"
               "                  display name, EllipsType, tab-separated, a line each\n"
               "  --lang L        de (the default) or en: with --list, en adds the English\n"
               "                  name of each kind as a sixth column\n"
               "%s"
               "  -h, --help      this text\n"
               "  --version       the program's version\n",
               kSetupUsage);
}

// The German display names stay in the fifth column whatever the language,
// so that scripts reading it work on; English only adds a column.
bool List(bool english) {
  for (int i = 0; i < kListCount; ++i) {
    const CatalogueEntry& e = CatalogueAt(i);
    if (!Put("%d\t%d\t%.*s\t%.*s\t%d", i, int(e.Kind), int(EnumName(e.Kind).size()),
             EnumName(e.Kind).data(), int(e.DisplayName.size()), e.DisplayName.data(),
             int(e.EllipsType)))
      return false;
    if (english && !Put("\t%.*s", int(e.EnglishName.size()), e.EnglishName.data())) return false;
    if (!Put("\n")) return false;
  }
  return true;
}

bool Show(const TGxProjectionL& p) {
  const double d = gx::kRadToDeg;
  return Put("Radius %.17g\nTheta %.17g\nPhi0 %.17g\nPhi1 %.17g\nPhi2 %.17g\n", p.Radius,
             p.Theta * d, p.Phi0 * d, p.Phi1 * d, p.Phi2 * d) &&
         Put("X0 %.17g\nY0 %.17g\nOther %.17g\nOblique %.17g\n", p.X0, p.Y0, p.Other,
             p.Oblique * d) &&
         Put("MapInput %d\nReady %d\nProjection %d\nForwardCutOff %d\n", p.MapInput,
             p.Ready ? 1 : 0, int(p.Projection), p.ForwardCutOff ? 1 : 0);
}

// Exactly two numbers, nothing else on the line.
bool ReadPair(const std::string& line, double& a, double& b) {
  std::istringstream in(line);
  std::string s1, s2, rest;
  if (!(in >> s1 >> s2) || (in >> rest)) return false;
  char* end;
  a = std::strtod(s1.c_str(), &end);
  if (end == s1.c_str() || *end) return false;
  b = std::strtod(s2.c_str(), &end);
  return end != s2.c_str() && !*end;
}

}  // namespace

int main(int argc, char** argv) {
  ProjectionSetup setup;
  bool inverse = false, show = false, list = false, distortion = false, english = false;
  for (int i = 1; i < argc; ++i) {
    std::string error;
    const int used = ParseSetupOption(argc, argv, i, setup, error);
    if (used < 0) {
      Usage(error.c_str());
      return 2;
    }
    if (used > 0) {
      i += used - 1;
      continue;
    }
    if (!std::strcmp(argv[i], "--inverse")) inverse = true;
    else if (!std::strcmp(argv[i], "--show")) show = true;
    else if (!std::strcmp(argv[i], "--list")) list = true;
    else if (!std::strcmp(argv[i], "--distortion")) distortion = true;
    else if (!std::strcmp(argv[i], "--lang")) {
      const char* lang = i + 1 < argc ? argv[++i] : "";
      if (std::strcmp(lang, "de") && std::strcmp(lang, "en")) {
        const std::string message = std::string("--lang: de or en expected, not \"") + lang + "\"";
        Usage(message.c_str());
        return 2;
      }
      english = !std::strcmp(lang, "en");
    }
    else if (!std::strcmp(argv[i], "--version")) {
      std::printf("weltnetz-proj %s\n", WELTNETZ_VERSION);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      Usage(nullptr);
      return 0;
    } else {
      const std::string message = std::string("unknown option ") + argv[i];
      Usage(message.c_str());
      return 2;
    }
  }
  if (list) return List(english) ? Finish(0) : WriteFailed();

  TGxProjectionL p;
  ApplySetup(setup, p);
  if (show) return Show(p) ? Finish(0) : WriteFailed();

  std::optional<DistortionPrinter> printer;
  if (distortion) printer.emplace(p);
  int status = 0;
  long lineNumber = 0;
  std::string line;
  line.reserve(kMaxLine);
  for (LineRead r; (r = ReadLine(stdin, line)) != LineRead::End;) {
    ++lineNumber;
    double a, b;
    if (r == LineRead::TooLong || !ReadPair(line, a, b)) {
      if (r == LineRead::TooLong)
        std::fprintf(stderr, "weltnetz-proj: line %ld: longer than %zu bytes\n", lineNumber, kMaxLine);
      else
        std::fprintf(stderr, "weltnetz-proj: line %ld: two numbers expected\n", lineNumber);
      if (!Put("* * -1\n")) return WriteFailed();
      status = 1;
      continue;
    }
    if (printer) {
      printer->Print(a, b, inverse);
      continue;
    }
    if (inverse)
      p.Inverse(a, b);
    else
      p.Forward(a, b);
    if (!Put("%.17g %.17g %d\n", p.X, p.Y, p.ErrorCode)) return WriteFailed();
  }
  if (std::ferror(stdin)) {
    std::fprintf(stderr, "weltnetz-proj: cannot read the input: %s\n", std::strerror(errno));
    status = 1;
  }
  return Finish(status);
}
