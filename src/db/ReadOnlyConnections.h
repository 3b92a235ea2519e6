#pragma once
// Connections that cannot write: for the commands that promise to leave the image system's
// database as they found it (a dry run). Process-wide, as the layer's handles are.
namespace mirabel {

// While one lives, every connection the database layer opens is read-only: a SQLite file is
// opened without write access (no journal is made, no column can be added), an ODBC connection
// asks its driver for read-only access (a hint some drivers ignore; nothing here writes anyway).
class ReadOnlyConnections {
  public:
    ReadOnlyConnections();
    ~ReadOnlyConnections();
    ReadOnlyConnections(const ReadOnlyConnections&) = delete;
    ReadOnlyConnections& operator=(const ReadOnlyConnections&) = delete;

  private:
    bool previous_;
};

// True while a ReadOnlyConnections lives.
bool ConnectionsAreReadOnly();

}  // namespace mirabel
