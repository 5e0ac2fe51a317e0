#pragma once
// The media property window of one file, in a process of its own. For now it shows the path
// and owns its panel, so a second property start for the same file finds it.

#include <QWidget>

class QLabel;
class TMyMessagePanel;

class TApp_MediaProperty : public QWidget {
    Q_OBJECT
public:
    explicit TApp_MediaProperty(const QString &path, QWidget *parent = nullptr);
    ~TApp_MediaProperty() override;

    QString FileName() const { return m_path; }
    void MyMessagePanel1TextChange(TMyMessagePanel *sender, const QString &text);

    TMyMessagePanel *MyMessagePanel1 = nullptr;
    QLabel *Label_FileName = nullptr;

private:
    QString m_path;
};
