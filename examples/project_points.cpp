// Projects points with the installed Weltnetz engine: reads "longitude
// latitude" in degrees per line and writes "x y code" per point, the pixel
// position on a 528 x 507 map set up as the Weltnetz window sets it up.
//   project_points [POSITION] < points     (catalogue position, default 42)
#include <cstdio>
#include <cstdlib>

#include <weltnetz/projection/GxProjectionL.h>

int main(int argc, char** argv) {
  const int position = argc > 1 ? std::atoi(argv[1]) : 42;  // 42: Mollweide
  if (position < kFirstListedPosition || position >= kListCount) {
    std::fprintf(stderr, "catalogue position %d..%d expected\n", kFirstListedPosition,
                 kListCount - 1);
    return 2;
  }
  const int width = 528, height = 507;
  TGxProjectionL p;
  p.SetListIndex(position);
  // As the window: ellipsoid 30 (WGS 84) for the ellipsoidal kinds, else 220.
  p.SetMapInput(CatalogueAt(position).EllipsType == 1 ? 30 : 220);
  ResetProjectionToDefaults(p, width, height);  // radius, centre, parallels
  p.SetX0(width / 2);  // the projection centre in the map's middle
  p.SetY0(height / 2);

  double lon, lat;
  while (std::scanf("%lf %lf", &lon, &lat) == 2) {
    p.Forward(lon, lat);  // X, Y: pixels; ErrorCode 0 when the point is on the map
    std::printf("%.17g %.17g %d\n", p.X, p.Y, p.ErrorCode);
  }
  return 0;
}
