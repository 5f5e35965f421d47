#pragma once

// The end of a completed run: "Proceso finalizado", what was written (the rows of each
// table in columns) and, in red, what the user must look at; the report in plain words
// behind "Mostrar detalles…"; after an export, the way back to the earlier tables.

#include <QDialog>
#include <QString>

#include "mensajes/Resumen.hpp"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vestran {

class DialogoFinal : public QDialog {
 public:
  // What exec() returns when the user asks for the earlier tables back.
  static constexpr int kRestaurar = 2;

  // `detalles`: the report, one observation a line (possibly empty). With
  // `ofrecerRestaurar`, a button "Restaurar las tablas anteriores".
  DialogoFinal(const Resumen& resumen, const QString& detalles, bool ofrecerRestaurar,
               QWidget* padre);

  QLabel* lineas = nullptr;
  QLabel* avisos = nullptr;              // hidden when there is no warning
  QLabel* cuantos = nullptr;             // how many observations the details hold; hidden without
  QPushButton* botonDetalles = nullptr;  // none without a report
  QPlainTextEdit* detalles = nullptr;
  QPushButton* aceptar = nullptr;
  QPushButton* restaurar = nullptr;  // none unless offered
  // The label of each figure and of its value, in the order of the summary.
  std::vector<std::pair<QLabel*, QLabel*>> cifras;

 private:
  void alternarDetalles();
};

}  // namespace vestran
