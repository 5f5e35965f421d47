#include "Plantihoras/TPlantillas.hpp"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "exportar/MarcosHorarios.hpp"
#include "mensajes/Mensajes.hpp"
#include "ventanas/Componentes.hpp"
#include "ventanas/GradientPanel.hpp"

namespace vestran {

namespace {

const QString kArial = QStringLiteral("Arial");

QString desdeUtf8(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TPlantillas::TPlantillas(std::filesystem::path documento, QWidget* parent, Mensaje mensaje)
    : QDialog(parent), documento_(std::move(documento)), mensaje_(std::move(mensaje)) {
  if (!mensaje_) {
    mensaje_ = [](QWidget* padre, const QString& texto) {
      QMessageBox caja(QMessageBox::NoIcon, qtexto(kTituloAplicacion), texto, QMessageBox::Ok,
                       padre);
      caja.exec();
    };
  }
  setWindowTitle(qtexto(kTituloSelector));
  setFixedSize(369, 282);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                 Qt::WindowTitleHint);
  setFont(fuente(QStringLiteral("MS Sans Serif"), 11));

  // Sky blue, white, and the colour of an inactive title bar.
  auto* Draw3D4 = new GradientPanel(QColor(0xA6, 0xCA, 0xF0), Qt::white,
                                    palette().color(QPalette::Inactive, QPalette::Highlight), this);
  Draw3D4->setGeometry(0, 0, 369, 282);
  const QString ventana = palette().color(QPalette::WindowText).name();
  etiqueta(QString::fromUtf8("Seleccione 1, o los 2 Marcos Horarios que quiere aplicar a su "
                             "Horario en Dalmerin."),
           Draw3D4, QRect(16, 2, 321, 33), fuente(kArial, 13, {.negrita = true}), ventana);
  etiqueta(QString::fromUtf8("Para seleccionar mas de un Marco Horario, mantenga (Ctrl) pulsado y "
                             "seleccione cada marco con 1 click del botón izquierdo del ratón."),
           Draw3D4, QRect(16, 36, 321, 50), fuente(kArial, 13, {.negrita = true, .cursiva = true}),
           QStringLiteral("red"));
  etiqueta(QStringLiteral("MARCOS"), Draw3D4, QRect(40, 86, 74, 16),
           fuente(kArial, 16, {.negrita = true}), QStringLiteral("maroon"));
  etiqueta(QStringLiteral("HORAS"), Draw3D4, QRect(215, 86, 67, 18),
           fuente(kArial, 16, {.negrita = true}), QStringLiteral("maroon"));

  ListBox2 = new QListWidget(Draw3D4);
  ListBox2->setGeometry(16, 103, 127, 45);
  ListBox2->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListBox1 = new QListWidget(Draw3D4);
  ListBox1->setGeometry(152, 103, 193, 146);
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

  etiqueta(QStringLiteral("-"), Draw3D4, QRect(9, 151, 120, 41),
           fuente(kArial, 16, {.negrita = true, .subrayada = true}), QStringLiteral("maroon"));
  etiqueta(QStringLiteral("-"), Draw3D4, QRect(9, 196, 120, 23),
           fuente(kArial, 16, {.negrita = true}), QStringLiteral("maroon"));
  etiqueta(QStringLiteral("-"), Draw3D4, QRect(9, 226, 120, 23),
           fuente(kArial, 16, {.negrita = true}), QStringLiteral("maroon"));

  // Never visible: it carries the identifier of the frame whose periods ListBox1 shows.
  ComboBoxPlantilla = new QComboBox(Draw3D4);
  ComboBoxPlantilla->setGeometry(150, 254, 81, 21);
  ComboBoxPlantilla->setStyleSheet(QStringLiteral("background: yellow;"));
  ComboBoxPlantilla->hide();

  LabelAviso = etiqueta(QString(), Draw3D4, QRect(9, 151, 137, 98), fuente(kArial, 11),
                        QStringLiteral("#b00000"));
  LabelAviso->setStyleSheet(LabelAviso->styleSheet() +
                            QStringLiteral("background: #fff8dc; border: 1px solid #d0a000;"));
  LabelAviso->setMargin(2);
  LabelAviso->hide();

  BitBtnContinuar = new QPushButton(QStringLiteral("Continuar"), Draw3D4);
  BitBtnContinuar->setGeometry(255, 253, 89, 25);
  BitBtnContinuar->setFont(fuente(QStringLiteral("MS Sans Serif"), 11, {.negrita = true}));
  BitBtnContinuar->setIcon(iconoDeVisto());
  BitBtnContinuar->setDefault(true);

  connect(ListBox2, &QListWidget::itemPressed, this, &TPlantillas::ListBox2Click);
  connect(ListBox2, &QListWidget::currentRowChanged, this, &TPlantillas::ListBox2Click);
  connect(BitBtnContinuar, &QPushButton::clicked, this, &QDialog::close);
}

void TPlantillas::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!activado_) FormActivate();
}

void TPlantillas::FormActivate() {
  activado_ = true;
  XMLDoc_ = Document::load(documento_);
  marcos_ = listarMarcos(XMLDoc_);
  if (marcos_.size() > 1) {
    ComboBoxPlantilla->clear();
    ListBox2->clear();
    for (const MarcoHorario& m : marcos_) {
      ComboBoxPlantilla->addItem(desdeUtf8(m.id));
      ListBox2->addItem(desdeUtf8(m.id));
    }
  } else {
    cargaFallida_ = XMLDoc_.empty()
                        ? desdeUtf8(XMLDoc_.problem()->message)
                        : QString::fromUtf8("El documento no tiene varios marcos horarios.");
  }
  ComboBoxPlantilla->setCurrentIndex(0);
  ComboBoxPlantillaChange();
  ListBox2->clearSelection();
}

void TPlantillas::ComboBoxPlantillaChange() {
  if (ComboBoxPlantilla->count() == 0) return;
  ListBox1->clear();
  for (const std::string& linea :
       horasDelMarco(XMLDoc_, ComboBoxPlantilla->currentText().toStdString())) {
    ListBox1->addItem(desdeUtf8(linea));
  }
  // Whether the frame shown would give the planner anything, said beside the list.
  const auto fila = static_cast<std::size_t>(ComboBoxPlantilla->currentIndex());
  const auto aviso = fila < marcos_.size() ? avisoDelMarco(marcos_[fila]) : std::nullopt;
  LabelAviso->setText(aviso ? desdeUtf8(*aviso) : QString());
  LabelAviso->setVisible(aviso.has_value());
}

void TPlantillas::ListBox2Click() {
  // The frame last clicked, whether the click selected or deselected it.
  if (ListBox2->currentRow() < 0) return;
  ComboBoxPlantilla->setCurrentIndex(ListBox2->currentRow());
  ComboBoxPlantillaChange();
}

void TPlantillas::done(int resultado) {
  // Escape, the close box, Alt+F4 and Continuar all end here: none leaves without the check.
  FormClose();
  QDialog::done(resultado);
}

void TPlantillas::FormClose() {
  if (cerrado_) return;
  cerrado_ = true;
  std::vector<MarcoHorario> marcos(static_cast<std::size_t>(ListBox2->count()));
  for (int i = 0; i < ListBox2->count(); ++i)
    marcos[i].id = ListBox2->item(i)->text().toStdString();
  seleccionados_.clear();
  for (int i = 0; i < ListBox2->count(); ++i) {
    if (ListBox2->item(i)->isSelected()) seleccionados_.push_back(static_cast<std::size_t>(i));
  }
  const SeleccionMarcos s = evaluarSeleccion(marcos, seleccionados_);
  resultMH = s.resultMH;
  resultado = desdeUtf8(s.resultado);
  if (s.mensaje && !cargaFallida_) {
    mensaje_(this, qtexto(*s.mensaje));
  }
}

}  // namespace vestran
