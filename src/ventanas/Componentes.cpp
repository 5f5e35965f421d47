#include "ventanas/Componentes.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vestran {

QFont fuente(const QString& familia, int pixeles, Estilo estilo) {
  QFont f(familia);
  f.setPixelSize(pixeles);
  f.setBold(estilo.negrita);
  f.setItalic(estilo.cursiva);
  f.setUnderline(estilo.subrayada);
  return f;
}

QLabel* etiqueta(const QString& texto, QWidget* padre, const QRect& donde, const QFont& f,
                 const QString& color) {
  auto* l = new QLabel(texto, padre);
  l->setGeometry(donde);
  l->setFont(f);
  l->setWordWrap(true);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (!color.isEmpty()) l->setStyleSheet(QStringLiteral("color: %1;").arg(color));
  return l;
}

QIcon iconoDeVisto() {
  QIcon icono;
  for (const int lado : {16, 32}) {
    QPixmap pixmap(lado, lado);
    pixmap.fill(Qt::transparent);
    QPainter pintor(&pixmap);
    pintor.setRenderHint(QPainter::Antialiasing);
    pintor.scale(lado / 16.0, lado / 16.0);
    QPainterPath visto;
    visto.moveTo(2.5, 8.5);
    visto.lineTo(6.5, 12.5);
    visto.lineTo(13.5, 3.5);
    pintor.setPen(QPen(QColor(0x00, 0x80, 0x00), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    pintor.drawPath(visto);
    pintor.end();
    icono.addPixmap(pixmap);
  }
  return icono;
}

void anchoDeLectura(QMessageBox& caja) {
  constexpr int kCaracteres = 64;
  auto* capa = qobject_cast<QGridLayout*>(caja.layout());
  if (!capa) return;
  const int ancho = caja.fontMetrics().averageCharWidth() * kCaracteres;
  capa->addItem(new QSpacerItem(ancho, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                capa->rowCount(), 0, 1, capa->columnCount());
}

QString qtexto(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace vestran
