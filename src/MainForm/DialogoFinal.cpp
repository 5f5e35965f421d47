#include "MainForm/DialogoFinal.hpp"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "mensajes/Mensajes.hpp"
#include "ventanas/Componentes.hpp"

namespace vestran {

namespace {

// The box reads comfortably this wide, and the details show this much without scrolling.
constexpr int kColumnas = 70;
constexpr int kFilas = 15;

QString unidas(const std::vector<std::string>& lineas, const QString& delante = {}) {
  QStringList l;
  for (const std::string& s : lineas) l << delante + qtexto(s);
  return l.join(QLatin1Char('\n'));
}

QString observaciones(qsizetype n) {
  return n == 1 ? QStringLiteral("Los detalles tienen 1 observación.")
                : QStringLiteral("Los detalles tienen %1 observaciones.").arg(n);
}

}  // namespace

DialogoFinal::DialogoFinal(const Resumen& resumen, const QString& informe, bool ofrecerRestaurar,
                           QWidget* padre)
    : QDialog(padre) {
  setWindowTitle(qtexto(kTituloAplicacion));
  setSizeGripEnabled(true);
  const int ancho = fontMetrics().averageCharWidth() * kColumnas;
  auto* capa = new QVBoxLayout(this);

  auto* titulo = new QLabel(qtexto(kProcesoFinalizado), this);
  capa->addWidget(titulo);

  lineas = new QLabel(unidas(resumen.lineas), this);
  lineas->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lineas->setWordWrap(true);
  lineas->setMinimumWidth(ancho);
  capa->addWidget(lineas);

  // The figures in two columns: names on the left, values aligned on the right.
  if (!resumen.cifras.empty()) {
    auto* tabla = new QGridLayout;
    tabla->setContentsMargins(fontMetrics().averageCharWidth() * 2, 0, 0, 0);
    tabla->setHorizontalSpacing(fontMetrics().averageCharWidth() * 3);
    int fila = 0;
    for (const auto& [nombre, valor] : resumen.cifras) {
      auto* n = new QLabel(qtexto(nombre), this);
      auto* v = new QLabel(qtexto(valor), this);
      v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      tabla->addWidget(n, fila, 0);
      tabla->addWidget(v, fila, 1);
      cifras.emplace_back(n, v);
      ++fila;
    }
    tabla->setColumnStretch(2, 1);
    capa->addLayout(tabla);
  }

  avisos = new QLabel(unidas(resumen.avisos, QStringLiteral("Aviso: ")), this);
  avisos->setWordWrap(true);
  avisos->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
  avisos->setVisible(!resumen.avisos.empty());
  avisos->setMinimumWidth(ancho);
  capa->addWidget(avisos);

  const QStringList observacionesDelInforme = informe.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  cuantos = new QLabel(observaciones(observacionesDelInforme.size()), this);
  cuantos->setVisible(!observacionesDelInforme.isEmpty());
  capa->addWidget(cuantos);

  // Plain words in the window's own font, wrapped: the report is read, not parsed.
  detalles = new QPlainTextEdit(informe, this);
  detalles->setReadOnly(true);
  detalles->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  const QFontMetrics medidas(detalles->font());
  detalles->setMinimumSize(ancho, medidas.lineSpacing() * kFilas + 12);
  detalles->hide();
  capa->addWidget(detalles, 1);

  auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  aceptar = botones->button(QDialogButtonBox::Ok);
  aceptar->setIcon(iconoDeVisto());
  aceptar->setDefault(true);
  if (!observacionesDelInforme.isEmpty()) {
    botonDetalles =
        botones->addButton(QStringLiteral("Mostrar detalles…"), QDialogButtonBox::ActionRole);
    // Return keeps closing the box after the details are opened.
    botonDetalles->setAutoDefault(false);
    connect(botonDetalles, &QPushButton::clicked, this, &DialogoFinal::alternarDetalles);
  }
  if (ofrecerRestaurar) {
    restaurar = botones->addButton(QStringLiteral("Restaurar las tablas anteriores"),
                                   QDialogButtonBox::ResetRole);
    restaurar->setAutoDefault(false);
    restaurar->setToolTip(
        QStringLiteral("Vuelve a poner las tablas que había antes de esta "
                       "exportación, si se eligió el documento o el marco "
                       "horario equivocado."));
    connect(restaurar, &QPushButton::clicked, this, [this] { done(kRestaurar); });
  }
  connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
  capa->addWidget(botones);
}

void DialogoFinal::alternarDetalles() {
  const bool mostrar = !detalles->isVisible();
  detalles->setVisible(mostrar);
  botonDetalles->setText(mostrar ? QStringLiteral("Ocultar detalles…")
                                 : QStringLiteral("Mostrar detalles…"));
  aceptar->setFocus();
  adjustSize();
}

}  // namespace vestran
