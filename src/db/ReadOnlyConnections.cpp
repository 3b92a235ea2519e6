#include "db/ReadOnlyConnections.h"

namespace mirabel {

namespace {

bool g_bReadOnlyConnections = false;

}  // namespace

ReadOnlyConnections::ReadOnlyConnections() : previous_(g_bReadOnlyConnections) {
    g_bReadOnlyConnections = true;
}

ReadOnlyConnections::~ReadOnlyConnections() {
    g_bReadOnlyConnections = previous_;
}

bool ConnectionsAreReadOnly() {
    return g_bReadOnlyConnections;
}

}  // namespace mirabel
