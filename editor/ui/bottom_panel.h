// The bottom panel of the editor's dialogs: a strip of fixed height named
// "pnlBottom" holding one 75 × 25 button that keeps its distance from the
// strip's right edge when the dialog is resized.
#pragma once

class QFrame;
class QPushButton;

struct BottomPanel {
  QFrame* panel;
  QPushButton* button;
};

BottomPanel MakeBottomPanel(int height, const char* caption, const char* button_name,
                            int right_gap);
