#pragma once

#include <QString>
#include <QWidget>

namespace qv::test {

// A readable description of a window for golden texts: its title, then each named control in
// creation order with its kind, whether it is shown and enabled, its text or title, its state
// and its tip.
QString FormState(const QWidget& window);

}  // namespace qv::test
