// TGxConvertL: the optional coordinate-conversion component. Attached to a
// projection component, it receives every coordinate pair and hands it back
// unchanged; what it contributes is the zone text, the bookkeeping of the last
// pair and the store of extra ellipsoids numbered from 52 on.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "projection/GxProjectionL.h"

using TGetValues = std::function<void(double Radius, double Flattening, double dX, double dY,
                                      double dZ, double Scale, double FalseEasting,
                                      double FalseNorthing, double CentralLong, TZone& Zone)>;

class TGxConvertL {
 public:
  TGxConvertL() = default;
  explicit TGxConvertL(void* /*owner*/) {}

  TGetValues OnGetValues;    // kept; nothing fires it
  bool Alternative = false;  // kept; no result depends on it
  double CoordA = 0, CoordB = 0;  // current pair
  double SavedA = 0, SavedB = 0;  // the pair as it entered the last Convert
  std::int32_t ExtraEllipsoidCount = 0, ExtraSphereCount = 0, ExtraGridCount = 0;

  // The zone is normalised whenever it is written.
  const TZone& UTMZone() const { return utmZone_; }
  void SetUTMZone(std::string_view text);

  void SetCoordinates(int /*Index*/, double A, double B) {
    CoordA = A;
    CoordB = B;
  }
  void Convert(bool SkipInput, bool SkipOutput, int InIndex, int OutIndex, double A, double B) {
    if (!SkipInput) SetCoordinates(InIndex, A, B);
    SavedA = CoordA;
    SavedB = CoordB;
    if (!SkipOutput) SetCoordinates(OutIndex, CoordA, CoordB);
  }

  // Ellipsoids numbered 52 and up. Nothing in the program adds any; the
  // projection component looks them up when MapInput points beyond its table.
  void AddEllipsoid(int number, gx::EllipsoidRecord record) { ellipsoids_[number] = record; }
  const gx::EllipsoidRecord* FindEllipsoid(int number) const {
    auto it = ellipsoids_.find(number);
    return it == ellipsoids_.end() ? nullptr : &it->second;
  }

 private:
  TZone utmZone_;
  std::map<int, gx::EllipsoidRecord> ellipsoids_;
};
