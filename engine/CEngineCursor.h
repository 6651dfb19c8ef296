#pragma once

#include <cstddef>
#include <vector>

#include "engine/CEngineResult.h"
#include "engine/EngineTypes.h"

// An open query: its select list is known at once, its rows are read in
// batches. A cursor belongs to the connection that opened it and must not
// outlive it.
class CEngineCursor {
public:
    virtual ~CEngineCursor() = default;

    virtual const std::vector<CEngineColumn>& Columns() const = 0;
    // Replaces the rows of `batch` (its columns are set to Columns()) with
    // at most `maxRows` next rows. Fewer rows than asked, none included,
    // mean the end. False on failure (then LastError()).
    virtual bool Fetch(std::size_t maxRows, CEngineResult& batch) = 0;
    virtual const CEngineError& LastError() const = 0;
    // Characters the server held that CP932 lacks, shown so far as the geta
    // mark.
    virtual std::size_t ReplacedCharacters() const { return 0; }
};

// A cursor over a result already read whole: hands it out in batches.
class CMaterialisedCursor : public CEngineCursor {
public:
    explicit CMaterialisedCursor(CEngineResult result) : m_result(std::move(result)) {}

    const std::vector<CEngineColumn>& Columns() const override { return m_result.Columns(); }
    bool Fetch(std::size_t maxRows, CEngineResult& batch) override;
    const CEngineError& LastError() const override { return m_error; }

private:
    CEngineResult m_result;
    std::size_t m_next = 0;
    CEngineError m_error;
};
