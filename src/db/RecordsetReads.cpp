// Opening statements and reading rows through recordset handles.
#include <algorithm>

#include "core/Text.h"
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/LayerFailure.h"
#include "db/Variant.h"

namespace mirabel {

namespace {

void OpenOnOwner(CAdoRecordset* rs, const std::string& statement) {
    if (rs == nullptr || rs->owner == nullptr || !rs->owner->connection)
        throw DbFailure(kObjectClosedText);
    rs->cursor.reset();
    rs->opened = false;
    rs->adding = false;
    rs->pendingValues.clear();
    rs->cursor = rs->owner->connection->Run(statement);
    rs->statement = statement;
    rs->position = 0;
    rs->eof = !rs->cursor || !rs->cursor->Fetch();
    rs->noRows = rs->eof;
    rs->opened = true;
}

void MoveFirst(CAdoRecordset* rs) {
    DbCursor& cursor = RequireCursor(rs);
    if (rs->position == 0 && !rs->eof) return;  // already on the first row
    cursor.Rewind();
    rs->position = 0;
    rs->eof = !cursor.Fetch();
}

void MoveNext(CAdoRecordset* rs) {
    if (rs->eof) throw DbFailure(kNoCurrentRowText);
    ++rs->position;
    rs->eof = !RequireCursor(rs).Fetch();
}

// The reading rule shared by GetRows and GetColumn: NULL, and the word NULL, read as "".
void ReadText(DbCursor& cursor, int column, std::string& text) {
    cursor.ValueText(column, text);
    if (text == "NULL") text.clear();
}

// Hands the given columns of up to maxRows rows, from the first, to `row`, one row at a time
// in one reused array, so that nothing but the current row is held here.
void ReadRows(CAdoRecordset* rs, const std::vector<int>& columns, int maxRows,
              const RowReader& row) {
    DbCursor& cursor = RequireCursor(rs);
    MoveFirst(rs);
    std::vector<std::string> values(columns.size());
    for (int rows = 0; !rs->eof && rows < maxRows; ++rows) {
        for (std::size_t i = 0; i < columns.size(); ++i) ReadText(cursor, columns[i], values[i]);
        row(values);
        MoveNext(rs);
    }
}

// The same, collecting the values row after row into `output`.
void ReadRowsInto(CAdoRecordset* rs, const std::vector<int>& columns,
                  std::vector<std::string>& output, int maxRows) {
    // Room for the whole limit up front: memory the rows do not fill is never touched, and half
    // a million rows are not copied again and again as the array grows.
    output.reserve(static_cast<std::size_t>(std::max(maxRows, 0)) * columns.size());
    ReadRows(rs, columns, maxRows, [&](std::vector<std::string>& values) {
        for (std::string& value : values) output.push_back(std::move(value));
    });
}

// An empty result is no failure: the reads return 0 without looking at the fields.
bool HasNoRows(CAdoRecordset* rs) {
    RequireCursor(rs);
    return rs->noRows;
}

std::vector<int> RequireColumns(CAdoRecordset* rs, const std::vector<std::string>& fields) {
    std::vector<int> columns;
    for (const std::string& field : fields) columns.push_back(RequireColumn(rs, field));
    return columns;
}

int RequirePosition(CAdoRecordset* rs, int position) {
    if (position < 0 || position >= static_cast<int>(RequireCursor(rs).Columns().size()))
        throw DbFailure(kItemNotFoundText);
    return position;
}

}  // namespace

DbCursor& RequireCursor(CAdoRecordset* rs) {
    if (rs == nullptr || !rs->opened || !rs->cursor) throw DbFailure(kObjectClosedText);
    return *rs->cursor;
}

int RequireColumn(CAdoRecordset* rs, const std::string& name) {
    const auto& columns = RequireCursor(rs).Columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (EqualIgnoringCase(columns[i].name, name)) return static_cast<int>(i);
    throw DbFailure(kItemNotFoundText);
}

void OpenRecordset(CAdoRecordset* rs, std::string statement) {
    statement = TranslateStatement(std::move(statement), g_bOracleSyntax != 0);
    try {
        OpenOnOwner(rs, statement);
        return;
    } catch (const std::exception&) {
        // The first refusal is neither logged nor flagged: the retry decides.
    }
    statement = QuoteDateLiterals(std::move(statement));
    try {
        OpenOnOwner(rs, statement);
    } catch (const std::exception& failure) {
        ReportDbFailure(statement + " : " + failure.what());
    }
}

int GetRows(CAdoRecordset* rs, const std::vector<std::string>& fields,
            std::vector<std::string>& output, int maxRows) {
    output.clear();
    if (fields.empty()) return 0;
    RunLayerOperation([&] {
        if (HasNoRows(rs)) return;
        ReadRowsInto(rs, RequireColumns(rs, fields), output, maxRows);
    });
    return static_cast<int>(output.size() / fields.size());
}

int ForEachRow(CAdoRecordset* rs, const std::vector<std::string>& fields, int maxRows,
               const RowReader& row) {
    int rows = 0;
    if (fields.empty()) return rows;
    RunLayerOperation([&] {
        if (HasNoRows(rs)) return;
        ReadRows(rs, RequireColumns(rs, fields), maxRows, [&](std::vector<std::string>& values) {
            ++rows;
            row(values);
        });
    });
    return rows;
}

int GetColumn(CAdoRecordset* rs, std::string field, std::vector<std::string>& output, int maxRows) {
    output.clear();
    if (g_bOracleSyntax) field = TranslateFieldName(std::move(field));
    RunLayerOperation([&] {
        if (HasNoRows(rs)) return;
        ReadRowsInto(rs, {RequireColumn(rs, field)}, output, maxRows);
    });
    return static_cast<int>(output.size());
}

int GetColumnByIndex(CAdoRecordset* rs, int position, std::vector<std::string>& output,
                     int maxRows) {
    output.clear();
    RunLayerOperation([&] {
        if (HasNoRows(rs)) return;
        ReadRowsInto(rs, {RequirePosition(rs, position)}, output, maxRows);
    });
    return static_cast<int>(output.size());
}

std::string GetFieldValue(CAdoRecordset* rs, int position) {
    return RunLayerOperation([&] {
        DbCursor& cursor = RequireCursor(rs);
        const int column = RequirePosition(rs, position);
        if (rs->eof) throw DbFailure(kNoCurrentRowText);
        return VariantToString(cursor.Value(column));
    });
}

std::string GetFieldName(CAdoRecordset* rs, int position) {
    return RunLayerOperation([&] {
        return RequireCursor(rs)
            .Columns()[static_cast<std::size_t>(RequirePosition(rs, position))]
            .name;
    });
}

int GetFieldCount(CAdoRecordset* rs) {
    return RunLayerOperation([&] { return static_cast<int>(RequireCursor(rs).Columns().size()); });
}

void MoveToRow(CAdoRecordset* rs, int index) {
    RunLayerOperation([&] {
        MoveFirst(rs);
        for (int i = 0; i < index; ++i) MoveNext(rs);
    });
}

}  // namespace mirabel
