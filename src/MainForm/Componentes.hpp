#pragma once

// Building blocks the windows share.

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace vestran {

// A font of the family at a height in pixels.
QFont fuente(const QString& familia, int pixeles, bool negrita, bool cursiva = false,
             bool subrayada = false);

// A word-wrapped label at a fixed place, in the font and (when given) the text colour.
QLabel* etiqueta(const QString& texto, QWidget* padre, const QRect& donde, const QFont& f,
                 const QString& color = {});

}  // namespace vestran
