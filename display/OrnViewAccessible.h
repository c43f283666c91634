#pragma once

#include <QAccessibleWidget>

class OrnView;

// The staff as a screen reader sees it: named "Score", its description the
// keyboard cell in words (what staffCellSpeech says), or the keys while no
// cell is chosen. The view sends a description change whenever those words
// change, so the new cell is spoken at once.
class OrnViewAccessible : public QAccessibleWidget {
  public:
    explicit OrnViewAccessible(OrnView* view);

    QString text(QAccessible::Text which) const override;

    // Makes Qt build this interface for every staff view; once is enough.
    static void install();

  private:
    static QAccessibleInterface* factory(const QString& className, QObject* object);
};
