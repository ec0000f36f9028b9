#include "app/screens/SearchView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/kit/CapsuleLabel.h"
#include "app/kit/EmptyStateView.h"
#include "app/kit/FieldFocus.h"
#include "app/kit/Ground.h"
#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ShownToolTip.h"
#include "app/kit/SymbolButton.h"
#include "app/kit/SymbolIcon.h"
#include "app/kit/SymbolView.h"
#include "app/kit/WrapLayout.h"
#include "app/screens/EntryList.h"
#include "app/screens/EntryListModel.h"
#include "app/screens/PageEmptyState.h"
#include "app/state/FolderScanState.h"
#include "app/state/SearchRunner.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

QComboBox* picker(int width, const QString& name) {
    auto* box = new QComboBox;
    box->setFixedWidth(width);
    box->setAccessibleName(name);
    return box;
}

}  // namespace

SearchView::SearchView(FolderScanState& folderScan, DeveloperState& developer, const DesktopActions& desktop,
                       const Clock& clock, QWidget* parent)
    : QWidget(parent),
      folderScan_(folderScan),
      runner_(std::make_unique<SearchRunner>(folderScan)),
      field_(new QLineEdit),
      count_(new CapsuleLabel({}, QMargins(7, 2, 7, 2))),
      clear_(new SymbolButton("xmark.circle.fill", QStringLiteral("Clear"), 13)),
      kind_(picker(140, QStringLiteral("Kind"))),
      size_(picker(118, QStringLiteral("Size"))),
      age_(picker(108, QStringLiteral("Age"))),
      paths_(new QCheckBox(QStringLiteral("Paths"))),
      regex_(new QCheckBox(QStringLiteral("Regex"))),
      sort_(picker(130, QStringLiteral("Sort"))),
      results_(new QStackedWidget),
      list_(new EntryList(developer, desktop, clock)),
      empty_(makePageEmptyState()) {
    auto* ground = new Ground(&Palette::canvas);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(ground);
    auto* column = new QVBoxLayout(ground);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(buildQueryBar());
    followFieldFocus(*field_, findChild<SymbolView*>(QStringLiteral("magnifier")));
    column->addLayout(buildFilterBar());
    column->addWidget(new Hairline(Qt::Horizontal));
    results_->addWidget(list_);
    results_->addWidget(empty_);
    column->addWidget(results_, 1);

    connectQuery();
    connect(&folderScan_, &FolderScanState::changed, this, &SearchView::followState);
    connect(runner_.get(), &SearchRunner::resultsChanged, this, &SearchView::showResults);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
    followState();
    showResults();
}

// The field, the count of results and the button that clears the field.
QLayout* SearchView::buildQueryBar() {
    auto* queryBar = new QHBoxLayout;
    queryBar->setContentsMargins(16, 14, 16, 14);
    queryBar->setSpacing(9);
    auto* magnifier = new SymbolView("magnifyingglass", 15);
    magnifier->setObjectName(QStringLiteral("magnifier"));
    queryBar->addWidget(magnifier);
    field_->setPlaceholderText(QStringLiteral("Search by name"));
    field_->setFrame(false);
    field_->setFont(AppFont::font(15));
    // The placeholder, read as the description, says what the search looks at.
    field_->setAccessibleName(QStringLiteral("Search"));
    queryBar->addWidget(field_, 1);
    // The count's capsule stands as tall as the search field beside it.
    count_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    queryBar->addWidget(count_);
    queryBar->addWidget(clear_);
    return queryBar;
}

// What kind, size and age of file, whether paths and patterns count, and the
// order at the right; a narrow page carries what does not fit on a second row.
QLayout* SearchView::buildFilterBar() {
    auto* filterBar = new WrapLayout(8, 8);
    filterBar->setContentsMargins(16, 0, 16, 12);
    filterBar->setLastAtLineEnd(true);
    for (const FileKind kind : allFileKinds())
        kind_->addItem(QString::fromStdString(std::string(title(kind))), static_cast<int>(kind));
    for (const auto& choice : searchSizeChoices()) size_->addItem(QString::fromUtf8(choice.title));
    for (const auto& choice : searchAgeChoices()) age_->addItem(QString::fromUtf8(choice.title));
    for (const auto sort : FileSearch::allSorts())
        sort_->addItem(QString::fromStdString(std::string(FileSearch::title(sort))), static_cast<int>(sort));
    for (QWidget* control : std::initializer_list<QWidget*>{kind_, size_, age_, paths_, regex_, sort_})
        filterBar->addWidget(control);
    paths_->setFont(AppFont::caption());
    regex_->setFont(AppFont::caption());
    return filterBar;
}

// Every control edits the state's query; the order is the state's own setting.
void SearchView::connectQuery() {
    // Whatever changes the text searches: typing, a paste, a screen reader setting it.
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        // Showing the state's own query asks for nothing.
        if (text.toStdString() == folderScan_.searchQuery().text) return;
        editQuery([&](FileSearch::Query& query) { query.text = text.toStdString(); });
    });
    connect(clear_, &QAbstractButton::clicked, this, [this] {
        editQuery([](FileSearch::Query& query) { query.text.clear(); });
    });
    connect(kind_, &QComboBox::activated, this, [this](int index) {
        editQuery([&](FileSearch::Query& query) { query.kind = static_cast<FileKind>(kind_->itemData(index).toInt()); });
    });
    connect(size_, &QComboBox::activated, this, [this](int index) {
        editQuery([&](FileSearch::Query& query) {
            query.minimumBytes = searchSizeChoices()[static_cast<std::size_t>(index)].minimumBytes;
        });
    });
    connect(age_, &QComboBox::activated, this, [this](int index) {
        editQuery([&](FileSearch::Query& query) {
            query.withinDays = searchAgeChoices()[static_cast<std::size_t>(index)].withinDays;
        });
    });
    connect(paths_, &QCheckBox::clicked, this, [this](bool on) {
        editQuery([&](FileSearch::Query& query) { query.searchesPaths = on; });
    });
    connect(regex_, &QCheckBox::clicked, this, [this](bool on) {
        editQuery([&](FileSearch::Query& query) { query.isRegex = on; });
    });
    connect(sort_, &QComboBox::activated, this, [this](int index) {
        folderScan_.setSearchSort(static_cast<FileSearch::Sort>(sort_->itemData(index).toInt()));
    });
}

SearchView::~SearchView() = default;

void SearchView::editQuery(const std::function<void(FileSearch::Query&)>& edit) {
    FileSearch::Query query = folderScan_.searchQuery();
    edit(query);
    folderScan_.setSearchQuery(std::move(query));
}

void SearchView::followState() {
    const FileSearch::Query& query = folderScan_.searchQuery();
    const QString text = QString::fromStdString(query.text);
    // Rewriting the field while the user types would move the cursor.
    if (field_->text() != text) field_->setText(text);
    kind_->setCurrentIndex(kind_->findData(static_cast<int>(query.kind)));
    const auto sizeIndex = searchSizeChoiceIndex(query.minimumBytes);
    size_->setCurrentIndex(sizeIndex ? static_cast<int>(*sizeIndex) : -1);
    const auto ageIndex = searchAgeChoiceIndex(query.withinDays);
    age_->setCurrentIndex(ageIndex ? static_cast<int>(*ageIndex) : -1);
    paths_->setChecked(query.searchesPaths);
    regex_->setChecked(query.isRegex);
    sort_->setCurrentIndex(sort_->findData(static_cast<int>(folderScan_.searchSort())));
    // The badge and the empty state follow the field at once; the list and
    // the count follow the search.
    showResults();
}

void SearchView::showResults() {
    const auto& result = folderScan_.generalResult();
    if (const auto scan = folderScan_.sharedGeneralResult(); scan != shownScan_) {
        shownScan_ = scan;
        list_->keepTicksWithin(result ? result->index : std::vector<FileTreeScanner::Entry>{});
    }
    const std::size_t indexCount = result ? result->index.size() : 0;
    SearchContent content =
        searchContent(result.has_value(), indexCount, folderScan_.searchQuery(), runner_->results().size());
    const bool listChanged = runner_->results() != list_->model()->entries();
    content_ = std::move(content);
    count_->setVisible(content_.countBadge.has_value());
    clear_->setVisible(content_.countBadge.has_value());
    count_->setText(QString::fromStdString(content_.countBadge.value_or("")));
    count_->setAccessibleName(QString::fromStdString(content_.countSpoken.value_or("")));
    if (listChanged) list_->setEntries(runner_->results());
    if (content_.emptyState) {
        showPageEmptyState(*empty_, *content_.emptyState);
        results_->setCurrentWidget(empty_);
    } else {
        results_->setCurrentWidget(list_);
    }
}

void SearchView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The field takes the keyboard whenever the page opens.
    field_->setFocus();
}

void SearchView::restyle() {
    const Palette& palette = environmentPalette(this);
    findChild<SymbolView*>(QStringLiteral("magnifier"))->setColor(palette.inkSecondary);
    styleLabel(count_, AppFont::font(11, QFont::Medium), palette.inkSecondary);
    clear_->setColor(palette.inkTertiary);
    QPalette field = field_->palette();
    field.setColor(QPalette::Base, Qt::transparent);
    field_->setPalette(field);
    for (int i = 0; i < kind_->count(); ++i)
        kind_->setItemIcon(i, symbolIcon(symbolName(static_cast<FileKind>(kind_->itemData(i).toInt())),
                                         palette.inkSecondary));
}

}  // namespace korvane
