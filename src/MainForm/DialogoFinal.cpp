#include "MainForm/DialogoFinal.hpp"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "mensajes/Mensajes.hpp"
#include "ventanas/Componentes.hpp"

namespace vestran {

namespace {

// The report box shows at least this much without scrolling.
constexpr int kColumnas = 70;
constexpr int kFilas = 15;

QString unidas(const std::vector<std::string>& lineas, const QString& delante = {}) {
  QStringList l;
  for (const std::string& s : lineas) l << delante + qtexto(s);
  return l.join(QLatin1Char('\n'));
}

}  // namespace

DialogoFinal::DialogoFinal(const Resumen& resumen, const QString& informe, QWidget* padre)
    : QDialog(padre) {
  setWindowTitle(qtexto(kTituloAplicacion));
  setSizeGripEnabled(true);
  auto* capa = new QVBoxLayout(this);

  auto* titulo = new QLabel(qtexto(kProcesoFinalizado), this);
  capa->addWidget(titulo);

  lineas = new QLabel(unidas(resumen.lineas), this);
  lineas->setTextInteractionFlags(Qt::TextSelectableByMouse);
  capa->addWidget(lineas);

  avisos = new QLabel(unidas(resumen.avisos, QStringLiteral("Aviso: ")), this);
  avisos->setWordWrap(true);
  avisos->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
  avisos->setVisible(!resumen.avisos.empty());
  avisos->setMinimumWidth(fontMetrics().averageCharWidth() * kColumnas);
  capa->addWidget(avisos);

  detalles = new QPlainTextEdit(informe, this);
  detalles->setReadOnly(true);
  detalles->setLineWrapMode(QPlainTextEdit::NoWrap);
  detalles->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QFontMetrics medidas(detalles->font());
  detalles->setMinimumSize(medidas.horizontalAdvance(QString(kColumnas, QLatin1Char('M'))) + 24,
                           medidas.lineSpacing() * kFilas + 12);
  detalles->hide();
  capa->addWidget(detalles, 1);

  auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  aceptar = botones->button(QDialogButtonBox::Ok);
  aceptar->setIcon(iconoDeVisto());
  aceptar->setDefault(true);
  if (!informe.isEmpty()) {
    botonDetalles = botones->addButton(QStringLiteral("Mostrar detalles…"),
                                       QDialogButtonBox::ActionRole);
    // Return keeps closing the box after the details are opened.
    botonDetalles->setAutoDefault(false);
    connect(botonDetalles, &QPushButton::clicked, this, &DialogoFinal::alternarDetalles);
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
