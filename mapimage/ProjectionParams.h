// The fields of a projection component that decide what its Forward and
// Inverse give and what the graticule samples: a drawing is made from one
// set of them, and a drawing that is kept (the colour layer's cache) is
// valid only for the same set, bit for bit.
#pragma once

#include <bit>
#include <cstdint>

#include "projection/GxProjectionL.h"

struct TProjectionParams {
  TProjection Projection;
  bool Ready, ForwardCutOff;
  std::int32_t MapInput, InputIndex, OutputIndex;
  TInPut InputFormat;
  TOutPut OutputFormat;
  const TGxConvertL* GxConvert;
  double Radius, Theta, Phi0, Phi1, Phi2, X0, Y0, Other, Oblique, AxisTheta, AxisPhi;
  double RotCentreX, RotCentreY, RotAngle;
  double GridMaxLon, GridMinLon, GridMaxLat, GridMinLat, GridSpacing, GridStep;

  static TProjectionParams Of(const TGxProjectionL& p) {
    TProjectionParams s{};
    s.Projection = p.Projection;
    s.Ready = p.Ready;
    s.ForwardCutOff = p.ForwardCutOff;
    s.MapInput = p.MapInput;
    s.InputIndex = p.InputIndex;
    s.OutputIndex = p.OutputIndex;
    s.InputFormat = p.InputFormat;
    s.OutputFormat = p.OutputFormat;
    s.GxConvert = p.GxConvert;
    s.Radius = p.Radius;
    s.Theta = p.Theta;
    s.Phi0 = p.Phi0;
    s.Phi1 = p.Phi1;
    s.Phi2 = p.Phi2;
    s.X0 = p.X0;
    s.Y0 = p.Y0;
    s.Other = p.Other;
    s.Oblique = p.Oblique;
    s.AxisTheta = p.AxisTheta;
    s.AxisPhi = p.AxisPhi;
    s.RotCentreX = p.RotCentreX;
    s.RotCentreY = p.RotCentreY;
    s.RotAngle = p.RotAngle;
    s.GridMaxLon = p.GridMaxLon;
    s.GridMinLon = p.GridMinLon;
    s.GridMaxLat = p.GridMaxLat;
    s.GridMinLat = p.GridMinLat;
    s.GridSpacing = p.GridSpacing;
    s.GridStep = p.GridStep;
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
    p.Radius = Radius;
    p.Theta = Theta;
    p.Phi0 = Phi0;
    p.Phi1 = Phi1;
    p.Phi2 = Phi2;
    p.X0 = X0;
    p.Y0 = Y0;
    p.Other = Other;
    p.Oblique = Oblique;
    p.AxisTheta = AxisTheta;
    p.AxisPhi = AxisPhi;
    p.RotCentreX = RotCentreX;
    p.RotCentreY = RotCentreY;
    p.RotAngle = RotAngle;
    p.GridMaxLon = GridMaxLon;
    p.GridMinLon = GridMinLon;
    p.GridMaxLat = GridMaxLat;
    p.GridMinLat = GridMinLat;
    p.GridSpacing = GridSpacing;
    p.GridStep = GridStep;
  }

  // Bit for bit: a NaN equals the same NaN, and 0 differs from -0.
  bool operator==(const TProjectionParams& o) const {
    auto same = [](double a, double b) {
      return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    return Projection == o.Projection && Ready == o.Ready && ForwardCutOff == o.ForwardCutOff &&
           MapInput == o.MapInput && InputIndex == o.InputIndex &&
           OutputIndex == o.OutputIndex && InputFormat == o.InputFormat &&
           OutputFormat == o.OutputFormat && GxConvert == o.GxConvert && same(Radius, o.Radius) &&
           same(Theta, o.Theta) && same(Phi0, o.Phi0) && same(Phi1, o.Phi1) &&
           same(Phi2, o.Phi2) && same(X0, o.X0) && same(Y0, o.Y0) && same(Other, o.Other) &&
           same(Oblique, o.Oblique) && same(AxisTheta, o.AxisTheta) &&
           same(AxisPhi, o.AxisPhi) && same(RotCentreX, o.RotCentreX) &&
           same(RotCentreY, o.RotCentreY) && same(RotAngle, o.RotAngle) &&
           same(GridMaxLon, o.GridMaxLon) && same(GridMinLon, o.GridMinLon) &&
           same(GridMaxLat, o.GridMaxLat) && same(GridMinLat, o.GridMinLat) &&
           same(GridSpacing, o.GridSpacing) && same(GridStep, o.GridStep);
  }
};
