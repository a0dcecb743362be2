#include "conversion/GxConvertL.h"

void TGxConvertL::SetUTMZone(std::string_view text) {
  std::string_view t = text.substr(0, 3);
  if (t.size() != 3) {
    utmZone_.Assign("N31");
    return;
  }
  char z[3] = {t[0], t[1], t[2]};
  if (!(z[0] >= 'A' && z[0] <= 'Z')) z[0] = 'N';
  if (!(z[1] >= '0' && z[1] <= '6')) z[1] = '3';
  if (!(z[2] >= '0' && z[2] <= '9')) z[2] = '1';
  utmZone_.Assign(std::string_view(z, 3));
}
