#pragma once

#include "request.h"

#include <QList>

class QTreeWidget;

// The request headers the user builds. The rows of the list view are the only copy: a row's text is
// the name, its one sub-item the value, both as typed.
namespace headerlist {

// A two-column report view, "header" and "value", whose rows are the headers.
void setUpList(QTreeWidget* list);

// Appends a row, after the last one.
void addHeaderRow(QTreeWidget* list, const QString& name, const QString& value);

// Replaces every row with these, in order.
void setHeaderRows(QTreeWidget* list, const QList<request::Header>& rows);

// Every row, first to last.
QList<request::Header> headerRows(const QTreeWidget* list);

} // namespace headerlist
