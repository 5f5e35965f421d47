#pragma once

class QCoreApplication;

namespace vestran {

// Makes Qt's own texts Spanish (the file dialog, the buttons of the message boxes)
// whatever the system's language: Qt's Spanish translation comes with the program, in
// its resources; a copy in translations/ beside the program or in Qt's own folder serves
// when the resources lack it.
void traducirQtAlEspanol(QCoreApplication& aplicacion);

}  // namespace vestran
