#include "ui/traffic_page.h"

#include "common/prompts.h"
#include "link/device_access.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::ui {

namespace {

const QColor kFailureBackground(0xfb, 0xe3, 0xe3);

// "363", "0x16B" or "0x16b"; nullopt for anything else or beyond 16 bits.
std::optional<std::uint32_t> ParseAddress(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const uint value =
        t.startsWith(u"0x"_s, Qt::CaseInsensitive) ? t.mid(2).toUInt(&ok, 16) : t.toUInt(&ok, 10);
    if (!ok || value > 0xFFFF)
        return std::nullopt;
    return value;
}

QString Optional(const auto& value) {
    return value ? QString::number(*value) : QString();
}

}  // namespace

TrafficTableModel::TrafficTableModel(const config::TrafficLog& log, QObject* parent)
    : QAbstractTableModel(parent), log_(log) {
    setFilter({});
}

int TrafficTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int TrafficTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant TrafficTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList kTitles{u"Čas [s]"_s, u"Příkaz"_s, u"Adresa"_s, u"Počet"_s,
                                     u"Význam"_s,  u"Kód"_s,    u"Stav"_s,   u"Pokusy"_s,
                                     u"ms"_s,      u"Chyba"_s};
    return kTitles.value(section);
}

QVariant TrafficTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const link::TransactionRecord& r = record(index.row());
    if (role == Qt::BackgroundRole)
        return config::IsTrafficFailure(r) ? QVariant(kFailureBackground) : QVariant();
    if (role == Qt::TextAlignmentRole) {
        const bool number =
            index.column() != Command && index.column() != Meaning && index.column() != Error;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
        case Time:
            return QString::number(static_cast<double>(r.started.count()) / 1e6, 'f', 3);
        case Command:
            return config::TrafficCommand(r);
        case Address:
            return Optional(r.address);
        case Count:
            return Optional(r.count);
        case Meaning: {
            const QString meaning = config::TrafficMeaning(r);
            return meaning.isEmpty() ? meaning : (r.data.empty() ? u"→ "_s : u"← "_s) + meaning;
        }
        case Code:
            return Optional(r.code);
        case Status:
            return r.status
                       ? u"0x"_s + QString::number(*r.status, 16).toUpper().rightJustified(2, u'0')
                       : QString();
        case Attempts:
            return r.attempts;
        case Ms:
            return QString::number(std::lround(static_cast<double>(r.duration.count()) / 1e3));
        case Error:
            if (r.replyCommand && *r.replyCommand != r.command)
                return u"odpověď na "_s + link::CommandName(*r.replyCommand);
            return r.failed() ? r.error.trimmed() : QString();
        default:
            return {};
    }
}

void TrafficTableModel::setFilter(config::TrafficFilter filter) {
    beginResetModel();
    filter_ = std::move(filter);
    ids_.clear();
    for (std::uint64_t id = log_.firstId(); id < log_.endId(); ++id) {
        if (filter_.matches(log_.at(id)))
            ids_.push_back(id);
    }
    seenEnd_ = log_.endId();
    endResetModel();
}

void TrafficTableModel::follow() {
    // Rows of transactions the log no longer keeps go first (all of them after a clear).
    const auto gone = std::lower_bound(ids_.begin(), ids_.end(), log_.firstId()) - ids_.begin();
    if (gone > 0) {
        beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
        ids_.erase(ids_.begin(), ids_.begin() + gone);
        endRemoveRows();
    }
    std::vector<std::uint64_t> added;
    for (std::uint64_t id = std::max(seenEnd_, log_.firstId()); id < log_.endId(); ++id) {
        if (filter_.matches(log_.at(id)))
            added.push_back(id);
    }
    seenEnd_ = log_.endId();
    if (added.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    ids_.insert(ids_.end(), added.begin(), added.end());
    endInsertRows();
}

TrafficPage::TrafficPage(config::TrafficLog& log, Prompts& prompts, QWidget* parent)
    : QWidget(parent),
      log_(log),
      prompts_(prompts),
      model_(new TrafficTableModel(log, this)),
      command_(new QComboBox),
      address_(new QLineEdit),
      failures_(new QCheckBox(u"Jen chyby"_s)),
      raw_(new QCheckBox(u"Surová data"_s)),
      count_(new QLabel),
      view_(new QTableView),
      bytes_(new QPlainTextEdit) {
    setObjectName(u"Provoz"_s);
    command_->setObjectName(u"ProvozPrikaz"_s);
    address_->setObjectName(u"ProvozAdresa"_s);
    failures_->setObjectName(u"ProvozJenChyby"_s);
    raw_->setObjectName(u"ProvozSurova"_s);
    view_->setObjectName(u"ProvozTabulka"_s);
    bytes_->setObjectName(u"ProvozBajty"_s);

    command_->addItem(u"všechny"_s);
    for (const link::CommandInfo& c : link::kCommands)
        command_->addItem(
            QString::fromLatin1(c.name.data(), static_cast<qsizetype>(c.name.size())));
    address_->setPlaceholderText(u"např. 363 nebo 0x16B"_s);
    address_->setClearButtonEnabled(true);
    address_->setMaximumWidth(address_->fontMetrics().horizontalAdvance(u"např. 363 nebo 0x16B"_s) +
                              40);
    auto* save = new QPushButton(u"Uložit záznam"_s);
    save->setObjectName(u"ProvozUlozit"_s);
    auto* clear = new QPushButton(u"Vymazat"_s);
    clear->setObjectName(u"ProvozVymazat"_s);

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(u"Příkaz:"_s));
    filters->addWidget(command_);
    filters->addSpacing(12);
    filters->addWidget(new QLabel(u"Adresa:"_s));
    filters->addWidget(address_);
    filters->addSpacing(12);
    filters->addWidget(failures_);
    filters->addStretch();
    filters->addWidget(raw_);
    filters->addWidget(clear);
    filters->addWidget(save);

    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setAlternatingRowColors(true);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    // Fixed widths from the font: measuring 10,000 rows for their contents would take seconds.
    QHeaderView* header = view_->horizontalHeader();
    const auto width = [this](const QString& sample) {
        return view_->fontMetrics().horizontalAdvance(sample) + 16;
    };
    const std::pair<int, QString> widths[] = {
        {TrafficTableModel::Time, u"0000.000"_s},
        {TrafficTableModel::Command, u"WriteEEPROM"_s},
        {TrafficTableModel::Address, u"Adresa"_s},
        {TrafficTableModel::Count, u"Počet"_s},
        {TrafficTableModel::Code, u"Kód"_s},
        {TrafficTableModel::Status, u"0x00"_s},
        {TrafficTableModel::Attempts, u"Pokusy"_s},
        {TrafficTableModel::Ms, u"00000"_s},
        {TrafficTableModel::Error, u"No answer from"_s},
    };
    for (const auto& [column, sample] : widths)
        header->resizeSection(column, width(sample));
    // The meaning takes the rest of the width; a cut text shows whole as the cell's tooltip and
    // under "Surová data".
    header->setSectionResizeMode(TrafficTableModel::Meaning, QHeaderView::Stretch);

    bytes_->setReadOnly(true);
    bytes_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    bytes_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    bytes_->setMaximumHeight(bytes_->fontMetrics().height() * 7);
    bytes_->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(view_, 1);
    layout->addWidget(bytes_);
    layout->addWidget(count_);

    connect(command_, &QComboBox::currentIndexChanged, this, &TrafficPage::applyFilter);
    connect(address_, &QLineEdit::textChanged, this, &TrafficPage::applyFilter);
    connect(failures_, &QCheckBox::toggled, this, &TrafficPage::applyFilter);
    connect(raw_, &QCheckBox::toggled, this, [this](bool on) {
        bytes_->setVisible(on);
        showRaw();
    });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TrafficPage::showRaw);
    connect(save, &QPushButton::clicked, this, [this] { config::saveTrafficLog(log_, prompts_); });
    connect(clear, &QPushButton::clicked, this, [this] { log_.clear(); });
    log_.changed = [this] { follow(); };
    showCount();
}

TrafficPage::~TrafficPage() {
    log_.changed = nullptr;
}

void TrafficPage::applyFilter() {
    config::TrafficFilter filter;
    if (command_->currentIndex() > 0)
        filter.command = command_->currentText();
    filter.failuresOnly = failures_->isChecked();
    const QString address = address_->text().trimmed();
    addressValid_ = true;
    if (!address.isEmpty()) {
        filter.address = ParseAddress(address);
        addressValid_ = filter.address.has_value();
    }
    // A malformed address filters nothing out rather than everything; the count line says why.
    model_->setFilter(std::move(filter));
    showRaw();
    showCount();
}

void TrafficPage::follow() {
    QScrollBar* bar = view_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    model_->follow();
    // Newest last: a view that showed the end keeps showing it.
    if (atEnd)
        view_->scrollToBottom();
    showCount();
}

void TrafficPage::showRaw() {
    if (!raw_->isChecked())
        return;
    const QModelIndex current = view_->currentIndex();
    if (!current.isValid() || current.row() >= model_->rowCount()) {
        bytes_->setPlainText(u"Vyberte transakci v tabulce."_s);
        return;
    }
    const link::TransactionRecord& r = model_->record(current.row());
    QString text = u"Požadavek (%1 B): %2\nOdpověď (%3 B): %4"_s.arg(r.request.size())
                       .arg(config::HexText(r.request))
                       .arg(r.reply.size())
                       .arg(r.reply.empty() ? u"žádná"_s : config::HexText(r.reply));
    bytes_->setPlainText(text + u'\n' + config::TrafficLine(r));
}

void TrafficPage::showCount() {
    QString text =
        u"Zobrazeno %1 z %2 transakcí; okno uchovává posledních %3."_s.arg(model_->rowCount())
            .arg(log_.size())
            .arg(QLocale(QLocale::Czech)
                     .toString(static_cast<qulonglong>(config::TrafficLog::kCapacity)));
    if (!addressValid_)
        text =
            u"Adresa musí být číslo 0 až 65535 (nebo 0x0 až 0xFFFF); filtr adresy se "
            u"nepoužije. "_s +
            text;
    count_->setText(text);
}

}  // namespace veld::ui
