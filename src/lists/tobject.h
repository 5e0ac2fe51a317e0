#pragma once

// Base of the objects that list entries carry; a list that owns its objects deletes them.
class TObject {
public:
    virtual ~TObject() = default;
};
