// Modal dialogs driven by the test: the work runs on the dialog once its
// event loop has started, and the dialog is closed afterwards in any case,
// so that a failing check cannot leave the test waiting on it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Call before the call that shows the dialog.
inline void OnModal(std::function<void(QDialog&)> work) {
  QTimer::singleShot(0, [work = std::move(work)] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      ADD_FAILURE() << "no modal dialog is shown";
      return;
    }
    work(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
}

// While it lives, a modal dialog that opens is closed at once and noted, so
// that a call which must show none cannot leave the test waiting on it.
class ModalGuard {
 public:
  ModalGuard() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        shown_ = true;
        dialog->reject();
      }
    });
    timer_.start(0);
  }
  bool Shown() const { return shown_; }

 private:
  QTimer timer_;
  bool shown_ = false;
};
