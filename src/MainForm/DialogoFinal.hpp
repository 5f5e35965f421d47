#pragma once

// The end of a completed run: "Proceso finalizado", what was written and what the user
// must look at, with the full report behind "Mostrar detalles…".

#include <QDialog>
#include <QString>

#include "mensajes/Resumen.hpp"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vestran {

class DialogoFinal : public QDialog {
 public:
  DialogoFinal(const Resumen& resumen, const QString& detalles, QWidget* padre);

  QLabel* lineas = nullptr;
  QLabel* avisos = nullptr;  // hidden when there is no warning
  QPushButton* botonDetalles = nullptr;  // none without a report
  QPlainTextEdit* detalles = nullptr;
  QPushButton* aceptar = nullptr;

 private:
  void alternarDetalles();
};

}  // namespace vestran
