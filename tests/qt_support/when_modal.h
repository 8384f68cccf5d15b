#pragma once

#include <functional>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

// Runs `steps` on the next modal widget of type T once it is open, from inside its event loop.
template <class T>
void whenModal(std::function<void(T*)> steps) {
    QTimer::singleShot(0, [steps] {
        QWidget* modal = QApplication::activeModalWidget();
        T* widget = qobject_cast<T*>(modal);
        if (!widget) {
            ADD_FAILURE() << "no modal widget of the expected kind: "
                          << (modal ? modal->metaObject()->className() : "none");
            if (modal) modal->close();
            return;
        }
        steps(widget);
    });
}

// Lets the event loop run until the condition holds or the time is up; whether it held.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}
