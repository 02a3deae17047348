#pragma once
// A command holds the one thread until it is done: the wait cursor says
// so, and a message box in the middle of it gets the normal cursor back
// while it waits for the technician.

class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

class NormalCursor
{
public:
    NormalCursor();
    ~NormalCursor();
    NormalCursor(const NormalCursor &) = delete;
    NormalCursor &operator=(const NormalCursor &) = delete;
};
