#pragma once

#include <QColor>
#include <QWidget>

namespace vestran {

// A panel filled with a vertical gradient from `inicio` through `medio` to `fin`.
class GradientPanel : public QWidget {
 public:
  GradientPanel(QColor inicio, QColor medio, QColor fin, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor inicio_;
  QColor medio_;
  QColor fin_;
};

}  // namespace vestran
