#include "MainForm/Componentes.hpp"

#include <QLabel>

namespace vestran {

QFont fuente(const QString& familia, int pixeles, bool negrita, bool cursiva, bool subrayada) {
  QFont f(familia);
  f.setPixelSize(pixeles);
  f.setBold(negrita);
  f.setItalic(cursiva);
  f.setUnderline(subrayada);
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

}  // namespace vestran
