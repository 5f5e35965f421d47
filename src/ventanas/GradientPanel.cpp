#include "ventanas/GradientPanel.hpp"

#include <QLinearGradient>
#include <QPainter>

namespace vestran {

GradientPanel::GradientPanel(QColor inicio, QColor medio, QColor fin, QWidget* parent)
    : QWidget(parent), inicio_(inicio), medio_(medio), fin_(fin) {}

void GradientPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0, inicio_);
  gradient.setColorAt(0.5, medio_);
  gradient.setColorAt(1, fin_);
  painter.fillRect(rect(), gradient);
}

}  // namespace vestran
