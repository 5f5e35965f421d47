#pragma once

// Building blocks the windows share.

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

#include <string_view>

class QLabel;
class QMessageBox;
class QWidget;

namespace vestran {

// How a font's letters look besides their family and size.
struct Estilo {
  bool negrita = false;
  bool cursiva = false;
  bool subrayada = false;
};

// A font of the family at a height in pixels.
QFont fuente(const QString& familia, int pixeles, Estilo estilo = {});

// A word-wrapped label at a fixed place, in the font and (when given) the text colour.
QLabel* etiqueta(const QString& texto, QWidget* padre, const QRect& donde, const QFont& f,
                 const QString& color = {});

// The check mark of the OK buttons, drawn in green.
QIcon iconoDeVisto();

// A text of the core (UTF-8) for Qt.
QString qtexto(std::string_view utf8);

// Makes a message box wide enough to read: its title whole, and a folder's path on a line
// of its own rather than broken at every hyphen.
void anchoDeLectura(QMessageBox& caja);

}  // namespace vestran
