#pragma once

namespace vestran {

// Whether the program runs under Wine rather than on Windows itself.
bool bajoWine();

// To be called before the QApplication is made. Under Wine the system's rasteriser loses
// the capital I of the fonts that stand in for Arial and Tahoma at 96 dpi ("AS GNOMT"
// for ASIGNOMT): there the windows draw their letters with the FreeType engine Qt carries.
// On Windows itself, and when the user chose a platform, nothing changes.
void elegirMotorDeFuentes();

}  // namespace vestran
