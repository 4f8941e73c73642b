#include "headerlist.h"

#include "formlayout.h"

#include <QHeaderView>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace headerlist {

void setUpList(QTreeWidget* list)
{
    list->setColumnCount(2);
    list->setHeaderLabels({ u"header"_s, u"value"_s });
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    for (int column = 0; column < 2; ++column)
        list->setColumnWidth(column, formlayout::toPixels(formlayout::HeaderColumnWidth));
}

void addHeaderRow(QTreeWidget* list, const QString& name, const QString& value)
{
    auto* row = new QTreeWidgetItem(list);
    row->setText(0, name);
    row->setText(1, value);
}

QList<request::Header> headerRows(const QTreeWidget* list)
{
    const int count = list->topLevelItemCount();
    QList<request::Header> rows;
    rows.reserve(count);
    for (int row = 0; row < count; ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        rows.append({ item->text(0), item->text(1) });
    }
    return rows;
}

void setHeaderRows(QTreeWidget* list, const QList<request::Header>& rows)
{
    list->clear();
    for (const request::Header& row : rows)
        addHeaderRow(list, row.name, row.value);
}

} // namespace headerlist
