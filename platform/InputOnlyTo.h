#pragma once
// While a long operation holds the interface thread and lets the windows repaint, one
// control may stay usable (a Cancel button): user input reaches only that widget and its
// children, and requests to close a window are refused, so that nothing else can start
// while the operation runs.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace platform {

class InputOnlyTo : public QObject {
public:
  explicit InputOnlyTo(QWidget* widget);
  ~InputOnlyTo() override;
  InputOnlyTo(const InputOnlyTo&) = delete;
  InputOnlyTo& operator=(const InputOnlyTo&) = delete;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QPointer<QWidget> m_Widget;
};

}  // namespace platform
