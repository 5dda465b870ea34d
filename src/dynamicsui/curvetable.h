#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <optional>
#include <string>
#include <vector>

#include "dynamics/records.h"

class QAction;

namespace kelm {

// An engine's torque curve as a table: engine speed and torque, which the user edits, and
// the power in kW and in metric horsepower computed from them.  It edits the curve in
// place and keeps it valid after every change: a speed or torque out of its range, a speed
// another point has and fewer than two points are refused with a message; a point whose
// speed changes moves to its place by speed at once.
class CurveModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kSpeed, kTorque, kPowerKw, kPowerHp, kColumns };

    explicit CurveModel(QObject* parent = nullptr);

    // The curve shown and edited (it must outlive the model's use of it); nullptr: none.
    void SetCurve(std::vector<TorquePoint>* curve);
    bool HasCurve() const { return curve_ != nullptr; }
    const std::vector<TorquePoint>* Points() const { return curve_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A typed speed or torque: taken when it is a number within its range (and a speed no
    // other point has); otherwise refused with a message, and false.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Adds the point PointToAdd gives after `after` (after the last point without one);
    // its row, or nothing when refused with a message.
    std::optional<int> AddPoint(std::optional<int> after);
    // Removes the points of these rows; refused with a message where fewer than two would be
    // left.
    bool RemovePoints(std::vector<int> rows);
    // Replaces all points by a valid curve.
    void Replace(std::vector<TorquePoint> points);

    // Refusals said so far (each one message).
    int Refusals() const { return refusals_; }

  signals:
    // The curve changed: a value, a point added or removed, all points replaced.
    void CurveChanged();

  private:
    void Refuse(const std::string& text);

    std::vector<TorquePoint>* curve_ = nullptr;
    int refusals_ = 0;
};

// The table of a CurveModel with the spreadsheet's ways: Ctrl+V (and "Вставить" in its
// menu) replaces the points by two pasted columns, after a question, or puts one pasted
// number into the current cell; Ctrl+C copies the whole table as tab-separated text; its
// menu also adds and removes points.  Enter and Tab take a typed value and move on, and
// never reach the dialog's buttons.
class CurveTable : public QTableView {
    Q_OBJECT
  public:
    explicit CurveTable(CurveModel* model, QWidget* parent = nullptr);

    CurveModel* Model() const { return model_; }
    // Wide enough for all four columns.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // What the menu and the keys do; the dialog's buttons do the same.
    void AddPointClick();
    void DeletePointClick();
    void CopyClick();
    void PasteClick();
    // Pastes this text as Ctrl+V pastes the clipboard's; true when the table took it.
    bool PasteText(const QString& text);
    // Takes the value of a cell still being typed, as leaving the cell would.
    void CommitOpenEditor();

    QAction* AddPointAction() const { return addPoint_; }
    QAction* DeletePointAction() const { return deletePoint_; }
    QAction* CopyAction() const { return copy_; }
    QAction* PasteAction() const { return paste_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    std::optional<int> CurrentRow() const;

    CurveModel* model_;
    QAction* addPoint_;
    QAction* deletePoint_;
    QAction* copy_;
    QAction* paste_;
};

}  // namespace kelm
