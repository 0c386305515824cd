#include "app/SortedOrder.h"

#include <unicode/ucol.h>

#include <QLocale>
#include <QHeaderView>
#include <algorithm>
#include <string>
#include <string_view>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Each row's collation key made as QCollator makes it (numbers by value and
// letter case aside, through ICU; the text's own bytes in the "C" locale),
// but all of them in one block: a QCollatorSortKey per row cost some 150
// bytes, 30 MB at 200,000 rows.
class SortKeys {
  public:
    explicit SortKeys(size_t count) {
        ends_.reserve(count);
        const QLocale locale;
        if (locale.language() == QLocale::C) return;
        UErrorCode status = U_ZERO_ERROR;
        collator_ = ucol_open(locale.bcp47Name().replace('-', '_').toLatin1().constData(), &status);
        if (U_FAILURE(status)) {
            collator_ = nullptr;
            broken_ = true;  // as QCollator: every key empty, the rows left in their order
            return;
        }
        ucol_setAttribute(collator_, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(collator_, UCOL_STRENGTH, UCOL_SECONDARY, &status);
        ucol_setAttribute(collator_, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
        ucol_setAttribute(collator_, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    }
    ~SortKeys() {
        if (collator_) ucol_close(collator_);
    }
    SortKeys(const SortKeys&) = delete;
    SortKeys& operator=(const SortKeys&) = delete;

    void add(const QString& text) {
        if (collator_) {
            const auto* chars = reinterpret_cast<const UChar*>(text.constData());
            const int length = int(text.size());
            const size_t at = bytes_.size();
            int room = length * 2 + 16;
            bytes_.resize(at + size_t(room));
            int size = ucol_getSortKey(collator_, chars, length, data(at), room);
            if (size > room) {
                bytes_.resize(at + size_t(size));
                size = ucol_getSortKey(collator_, chars, length, data(at), size);
            }
            bytes_.resize(at + size_t(size));
        } else if (!broken_) {
            bytes_ += text.toStdString();
        }
        ends_.push_back(bytes_.size());
    }

    int compare(size_t a, size_t b) const {
        const std::string_view x = key(a), y = key(b);
        return x.compare(y);
    }

  private:
    uint8_t* data(size_t at) { return reinterpret_cast<uint8_t*>(&bytes_[at]); }
    std::string_view key(size_t k) const {
        const size_t begin = k ? ends_[k - 1] : 0;
        return std::string_view(bytes_).substr(begin, ends_[k] - begin);
    }

    UCollator* collator_ = nullptr;
    bool broken_ = false;
    std::string bytes_;
    std::vector<size_t> ends_;
};

std::vector<int> sorted(int count, const std::function<QString(int row)>& key, Qt::SortOrder order) {
    SortKeys keys(size_t(std::max(count, 0)));
    std::vector<int> rows(size_t(std::max(count, 0)));
    for (int r = 0; r < count; ++r) {
        // Folded first: in the "C" locale the key would keep case apart.
        keys.add(key(r).toCaseFolded());
        rows[size_t(r)] = r;
    }
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const int c = keys.compare(size_t(a), size_t(b));
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    return rows;
}

}  // namespace

std::vector<int> SortedOrder(int count, const std::function<QString(int row)>& key, Qt::SortOrder order) {
    std::vector<int> rows = sorted(count, key, order);
#ifdef __GLIBC__
    // The keys' block and the texts folded for them are gone: hand their
    // pages back rather than keep them for good.
    malloc_trim(0);
#endif
    return rows;
}

Qt::SortOrder ClickedSortOrder(const QHeaderView* header, int column) {
    return header->sortIndicatorSection() == column && header->sortIndicatorOrder() == Qt::AscendingOrder
               ? Qt::DescendingOrder
               : Qt::AscendingOrder;
}
