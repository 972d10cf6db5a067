// The device-control column: fingerprint image, firmware, display, beeper and
// the sample user.
#include "TForm1.h"

void TForm1::Button7Click() {}
void TForm1::Button8Click() {}
void TForm1::Button12Click() {}
void TForm1::Button11Click() {}
void TForm1::Button14Click() {}
void TForm1::Button2Click() {}
