#include "tools/common/ProjectionSetup.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "mapimage/ImageLimits.h"

const char* const kSetupUsage =
    "  --kind K        the kind: catalogue position 0-64 (default 4), German display\n"
    "                  name, enum name (mpMercator), English name (Mercator), or a\n"
    "                  part of any of these names that fits one kind only, in any\n"
    "                  case (\"robin\"); weltnetz-proj --list --lang en shows them all\n"
    "  --enum N        set Projection directly by ordinal 0-65\n"
    "  --size WxH      map size in pixels (default 528x507)\n"
    "  --radius PX  --theta DEG  --phi0 DEG  --phi1 DEG  --phi2 DEG\n"
    "  --other V    --oblique DEG  --x0 PX  --y0 PX  --map-input N\n"
    "  --cutoff        set ForwardCutOff\n"
    "  --not-ready     set Ready to false\n";

namespace {

bool ParseDouble(const char* text, double& out) {
  errno = 0;
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == '\0';
}

bool ParseInt(const char* text, long lo, long hi, int& out) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

// Lower case for comparing names: ASCII, and the Latin-1 capitals that
// UTF-8 writes as 0xC3 0x80-0x9E (the "Ä" of "Äquidistante"), except the
// multiplication sign.
std::string Folded(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xC3 && i + 1 < out.size()) {
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    }
  }
  return out;
}

// The names a --kind value is compared with, for position k.
std::array<std::string_view, 3> NamesOf(int k) {
  const CatalogueEntry& e = CatalogueAt(k);
  return {e.DisplayName, EnumName(e.Kind), e.EnglishName};
}

// Lists the candidates of an ambiguous --kind, at most this many.
constexpr std::size_t kMaxCandidatesShown = 12;

std::string KindError(const std::string& value, const std::vector<int>& kinds) {
  if (kinds.empty())
    return "--kind: no kind is named \"" + value +
           "\" (a position 0-64, a German or English name, an enum name, or a part of one; "
           "weltnetz-proj --list --lang en shows them)";
  std::string text = "--kind: \"" + value + "\" fits " + std::to_string(kinds.size()) +
                     " kinds; name one of them:";
  for (std::size_t i = 0; i < kinds.size() && i < kMaxCandidatesShown; ++i) {
    const auto names = NamesOf(kinds[i]);
    text += "\n  " + std::to_string(kinds[i]) + "  " + std::string(names[0]) + "  (" +
            std::string(names[2]) + ", " + std::string(names[1]) + ")";
  }
  if (kinds.size() > kMaxCandidatesShown)
    text += "\n  and " + std::to_string(kinds.size() - kMaxCandidatesShown) + " more";
  return text;
}

}  // namespace

std::vector<int> KindsNamed(const std::string& value) {
  int position;
  if (ParseInt(value.c_str(), 0, kListCount - 1, position)) return {position};
  if (value.empty()) return {};
  // A whole name first: the German one (which recipes and scripts use), the
  // enum name, then the English one. "Mercator" is thus Mercator's, while
  // "mercator" is a part of two names.
  for (std::size_t which = 0; which < 3; ++which)
    for (int k = 0; k < kListCount; ++k)
      if (NamesOf(k)[which] == value) return {k};
  const std::string part = Folded(value);
  std::vector<int> found;
  for (int k = 0; k < kListCount; ++k)
    for (std::string_view name : NamesOf(k))
      if (Folded(name).find(part) != std::string::npos) {
        found.push_back(k);
        break;
      }
  return found;
}

bool ParseSize(const std::string& text, int& width, int& height, std::string& why) {
  // Digits only: strtol would also take signs, blanks and "0x" prefixes.
  if (ParseMapSize(text, width, height)) return true;
  why = "WxH expected, each side a whole number of pixels from 1 to " +
        std::to_string(kMaxMapSide) + ": " + text;
  return false;
}

int ParseSetupOption(int argc, char** argv, int i, ProjectionSetup& s, std::string& error) {
  const std::string opt = argv[i];
  if (opt == "--cutoff") {
    s.cutoff = true;
    return 1;
  }
  if (opt == "--not-ready") {
    s.notReady = true;
    return 1;
  }
  std::optional<double>* number = nullptr;
  if (opt == "--radius") number = &s.radius;
  else if (opt == "--theta") number = &s.theta;
  else if (opt == "--phi0") number = &s.phi0;
  else if (opt == "--phi1") number = &s.phi1;
  else if (opt == "--phi2") number = &s.phi2;
  else if (opt == "--other") number = &s.other;
  else if (opt == "--oblique") number = &s.oblique;
  else if (opt == "--x0") number = &s.x0;
  else if (opt == "--y0") number = &s.y0;
  else if (opt != "--kind" && opt != "--enum" && opt != "--size" && opt != "--map-input")
    return 0;

  if (i + 1 >= argc) {
    error = opt + " needs a value";
    return -1;
  }
  const char* value = argv[i + 1];
  if (number) {
    double v;
    if (!ParseDouble(value, v)) {
      error = opt + ": not a number: " + value;
      return -1;
    }
    *number = v;
  } else if (opt == "--kind") {
    const std::vector<int> kinds = KindsNamed(value);
    if (kinds.size() != 1) {
      error = KindError(value, kinds);
      return -1;
    }
    s.position = kinds.front();
    s.enumOrdinal.reset();
  } else if (opt == "--enum") {
    int ordinal;
    if (!ParseInt(value, 0, kProjectionCount - 1, ordinal)) {
      error = std::string("--enum: ordinal 0-65 expected: ") + value;
      return -1;
    }
    s.enumOrdinal = ordinal;
  } else if (opt == "--size") {
    std::string why;
    if (!ParseSize(value, s.width, s.height, why)) {
      error = "--size: " + why;
      return -1;
    }
  } else {  // --map-input
    int m;
    if (!ParseInt(value, INT32_MIN, INT32_MAX, m)) {
      error = std::string("--map-input: integer expected: ") + value;
      return -1;
    }
    s.mapInput = m;
  }
  return 2;
}

void ApplySetup(const ProjectionSetup& s, TGxProjectionL& p) {
  SetUpLikeWindow(p, s.enumOrdinal ? static_cast<TProjection>(*s.enumOrdinal) : CatalogueAt(s.position).Kind,
                  s.width, s.height);

  if (s.radius) p.SetRadius(*s.radius);
  if (s.theta) p.SetTheta(*s.theta);
  if (s.phi0) p.SetPhi0(*s.phi0);
  if (s.phi1) p.SetPhi1(*s.phi1);
  if (s.phi2) p.Phi2 = *s.phi2 * gx::kDegToRad;
  if (s.other) p.Other = *s.other;
  if (s.oblique) p.SetOblique(*s.oblique);
  if (s.x0) p.SetX0(*s.x0);
  if (s.y0) p.SetY0(*s.y0);
  if (s.mapInput) p.SetMapInput(*s.mapInput);
  if (s.cutoff) p.ForwardCutOff = true;
  if (s.notReady) p.Ready = false;
  p.AxisTheta = p.Theta;
  p.AxisPhi = p.Phi0;
}
