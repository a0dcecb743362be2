// The fields of a projection component that decide what its Forward and
// Inverse give and what the graticule samples: a drawing is made from one
// set of them, and a drawing that is kept (the colour layer's cache) is
// valid only for the same set, bit for bit.
#pragma once

#include <bit>
#include <cstdint>
#include <iterator>

#include "projection/GxProjectionL.h"

struct TProjectionParams {
  TProjection Projection;
  bool Ready, ForwardCutOff;
  std::int32_t MapInput, InputIndex, OutputIndex;
  TInPut InputFormat;
  TOutPut OutputFormat;
  const TGxConvertL* GxConvert;

  // The numbers, in the order of kNumbers.
  static constexpr double TGxProjectionL::*kNumbers[] = {
      &TGxProjectionL::Radius,      &TGxProjectionL::Theta,       &TGxProjectionL::Phi0,
      &TGxProjectionL::Phi1,        &TGxProjectionL::Phi2,        &TGxProjectionL::X0,
      &TGxProjectionL::Y0,          &TGxProjectionL::Other,       &TGxProjectionL::Oblique,
      &TGxProjectionL::AxisTheta,   &TGxProjectionL::AxisPhi,     &TGxProjectionL::RotCentreX,
      &TGxProjectionL::RotCentreY,  &TGxProjectionL::RotAngle,    &TGxProjectionL::GridMaxLon,
      &TGxProjectionL::GridMinLon,  &TGxProjectionL::GridMaxLat,  &TGxProjectionL::GridMinLat,
      &TGxProjectionL::GridSpacing, &TGxProjectionL::GridStep};
  static constexpr int kNumberCount = static_cast<int>(std::size(kNumbers));
  double Numbers[kNumberCount];

  static TProjectionParams Of(const TGxProjectionL& p) {
    TProjectionParams s{p.Projection, p.Ready,       p.ForwardCutOff, p.MapInput,
                        p.InputIndex, p.OutputIndex, p.InputFormat,   p.OutputFormat,
                        p.GxConvert,  {}};
    for (int i = 0; i < kNumberCount; ++i) s.Numbers[i] = p.*kNumbers[i];
    return s;
  }

  void ApplyTo(TGxProjectionL& p) const {
    p.Projection = Projection;
    p.Ready = Ready;
    p.ForwardCutOff = ForwardCutOff;
    p.MapInput = MapInput;
    p.InputIndex = InputIndex;
    p.OutputIndex = OutputIndex;
    p.InputFormat = InputFormat;
    p.OutputFormat = OutputFormat;
    p.GxConvert = const_cast<TGxConvertL*>(GxConvert);
    for (int i = 0; i < kNumberCount; ++i) p.*kNumbers[i] = Numbers[i];
  }

  // Bit for bit: a NaN equals the same NaN, and 0 differs from -0.
  bool operator==(const TProjectionParams& o) const {
    for (int i = 0; i < kNumberCount; ++i)
      if (std::bit_cast<std::uint64_t>(Numbers[i]) != std::bit_cast<std::uint64_t>(o.Numbers[i]))
        return false;
    return Projection == o.Projection && Ready == o.Ready && ForwardCutOff == o.ForwardCutOff &&
           MapInput == o.MapInput && InputIndex == o.InputIndex &&
           OutputIndex == o.OutputIndex && InputFormat == o.InputFormat &&
           OutputFormat == o.OutputFormat && GxConvert == o.GxConvert;
  }
};
