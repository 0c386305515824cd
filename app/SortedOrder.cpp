#include "app/SortedOrder.h"

#include <QCollator>
#include <QHeaderView>
#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

std::vector<int> sorted(int count, const std::function<QString(int row)>& key, Qt::SortOrder order) {
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(std::max(count, 0)));
    std::vector<int> rows(keys.capacity());
    for (int r = 0; r < count; ++r) {
        // Folded first: a collator of the "C" locale makes keys that keep case apart.
        keys.push_back(collator.sortKey(key(r).toCaseFolded()));
        rows[size_t(r)] = r;
    }
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    return rows;
}

}  // namespace

std::vector<int> SortedOrder(int count, const std::function<QString(int row)>& key, Qt::SortOrder order) {
    std::vector<int> rows = sorted(count, key, order);
#ifdef __GLIBC__
    // The keys were many small blocks (some 30 MB at 200,000 rows): hand
    // their pages back rather than keep them for good.
    malloc_trim(0);
#endif
    return rows;
}

Qt::SortOrder ClickedSortOrder(const QHeaderView* header, int column) {
    return header->sortIndicatorSection() == column && header->sortIndicatorOrder() == Qt::AscendingOrder
               ? Qt::DescendingOrder
               : Qt::AscendingOrder;
}
