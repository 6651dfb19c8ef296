#pragma once

// PL/SQL: the parser and name resolver that turns a block's text into a tree.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/plsql/CPlsqlBuiltins.h"
#include "engine/sqlite/plsql/CPlsqlOverloads.h"
#include "engine/sqlite/plsql/CPlsqlTree.h"

class CPlsqlHost;

// Parses an anonymous block (DECLARE ... BEGIN ... END), resolving every
// name against the block's declarations, the console's bind variables and
// the catalog. A name that is not declared is refused as the server does
// (ORA-06550 / PLS-00201 with its line and column).
class CPlsqlParser {
public:
    CPlsqlParser(std::string_view text, CPlsqlHost& host);
    ~CPlsqlParser();
    CPlsqlParser(const CPlsqlParser&) = delete;
    CPlsqlParser& operator=(const CPlsqlParser&) = delete;

    // Where a unit failed to compile and why (a PLS- line), for USER_ERRORS.
    struct CompileError {
        int line = 0;
        int column = 0;
        std::string text;
        // The statement the error made the compiler pass over (0: none).
        int ignoredLine = 0;
        int ignoredColumn = 0;
        std::string ignoredText = "PL/SQL: Statement ignored";
        // A construct the embedded database refuses by name: the whole
        // statement fails with ORA-03001 (`text`) at byte `at`.
        bool refused = false;
        std::size_t at = 0;
        // A stored unit's heading whose types do not resolve: the compile
        // ends there ("PL/SQL: Compilation unit analysis terminated", 0/0).
        bool terminated = false;
        // The unit's other errors, each with the statement it passed over,
        // in the order of the text.
        std::vector<CompileError> others = {};
    };

    // The compiled block; null with the server's error in `error`.
    std::shared_ptr<CPlsqlUnit> Parse(CEngineError& error);
    // A stored PROCEDURE or FUNCTION, its text from that word on (as
    // USER_SOURCE keeps it); null with its first error in `failure`.
    std::shared_ptr<CPlsqlUnit> ParseUnit(const std::string& owner, CompileError& failure);
    // A package: its heading (the parser's text, from PACKAGE on) and,
    // when given, its body; null with the first error in `failure`, `inBody`
    // telling in which text.
    std::shared_ptr<CPlsqlPackage> ParsePackage(const std::string& owner, std::string_view body,
                                                CompileError& failure, bool& inBody);
    // A schema's type (its text from TYPE on, as USER_SOURCE keeps it): an
    // object type of attributes, a nested table or a VARRAY; null with its
    // first error in `failure`. The types it names are added to `references`.
    std::shared_ptr<CPlsqlType> ParseSchemaType(CompileError& failure,
                                                std::vector<std::pair<std::string, std::string>>& references);
    // An object type's methods, compiled as a package named after the type
    // whose members are the methods: the type's heading (the parser's text,
    // from TYPE on) and, when given, its body (TYPE BODY); null with the
    // first error in `failure`, `inBody` telling in which text.
    std::shared_ptr<CPlsqlPackage> ParseTypeMethods(const std::string& owner,
                                                    const std::shared_ptr<CPlsqlType>& type,
                                                    std::string_view body, CompileError& failure,
                                                    bool& inBody);
    // A trigger's body from `bodyStart`, its :NEW and :OLD (named `newName`
    // and `oldName`) rows of `columns`.
    std::shared_ptr<CPlsqlUnit> ParseTrigger(const std::string& owner, const std::string& name,
                                             std::size_t bodyStart,
                                             const std::vector<CPlsqlType::Field>& columns,
                                             const std::string& newName, const std::string& oldName,
                                             CompileError& failure);

private:
    struct Failure;
    struct Entry;
    struct Mark;
    // Counts the nesting of statements and expressions while it lives.
    class Nesting {
    public:
        explicit Nesting(CPlsqlParser& parser);
        ~Nesting();
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        CPlsqlParser& m_parser;
    };
    using Token = CSqlScanner::Token;
    using ExprPtr = std::unique_ptr<CPlsqlExpr>;

    // Tokens
    const Token& Peek(std::size_t ahead = 0) const;
    bool AtEnd() const { return m_k >= m_tokens.size(); }
    bool Is(std::string_view word, std::size_t ahead = 0) const;
    bool IsSymbol(char symbol, std::size_t ahead = 0) const;
    // Two adjacent symbols such as ":=", "..", "<=", "||", "=>".
    bool IsPair(const char* pair, std::size_t ahead = 0) const;
    bool Accept(std::string_view word);
    bool AcceptSymbol(char symbol);
    bool AcceptPair(const char* pair);
    void Expect(std::string_view word);
    void ExpectSymbol(char symbol);
    void ExpectPair(const char* pair);
    std::string Name();  // an identifier, upper-cased or unquoted
    bool IsName(std::size_t ahead = 0) const;
    std::string TokenText(const Token& token) const;
    // The identifier `token` writes: upper case unless quoted, without its quotes.
    std::string NameText(const Token& token) const;
    [[noreturn]] void Fail(int pls, std::string_view arg, std::size_t at) const;
    // Compile errors of statements: a name not resolved, an SQL statement
    // that does not compile and the like make the compiler pass over the
    // statement and go on with the next, the errors collected and reported
    // together at the unit's end; a syntax error (PLS-00103) or a construct
    // refused stops the compile and stands alone.
    static bool Collectable(const Failure& failure);
    // Whether PLS-`pls` is a name not resolved (the statement is passed over).
    static bool Resolving(int pls);
    // Notes `failure` among the unit's errors.
    void Collect(const Failure& failure);
    // The end (its ";") of the statement at token `first` whose compile
    // failed, read keeping the nesting of blocks, IF, LOOP, CASE and
    // brackets; PLS-00103 where the statement cannot end.
    std::size_t PassOver(std::size_t first);
    // An expression ended by the word `until` (THEN, LOOP, WHEN): one whose
    // names do not resolve is collected and passed over, a NULL in its place.
    ExprPtr ParseGuardedExpr(std::string_view until);
    // The token of the word `until` that ends an expression from token
    // `first` (outside brackets and CASE); npos when the statement ends first.
    std::size_t GuardEnd(std::size_t first, std::string_view until) const;
    // Fails with the errors collected, if any.
    void FailCollected();
    // All the unit's errors, the one that stopped the compile (`stopped`)
    // among them; a syntax error alone.
    Failure Gathered(const Failure& stopped) const;
    [[noreturn]] void Unexpected() const;
    // ORA-03001 naming `what` (CP932), at byte `at`.
    [[noreturn]] void Refuse(std::string_view what, std::size_t at) const;

    // Scopes
    void Push();
    void Pop();
    // Names the innermost scope (a block's or a loop's label, a subprogram's
    // name), so that its declarations may be qualified by it.
    void NameScope(const std::string& label);
    // label.name where the label names an enclosing scope that declares the
    // name (and is no name of its own): passes over "label." and has the
    // name found in that scope alone.
    void SkipScopeQualifier();
    const Entry* Find(const std::string& name) const;
    // Where the statement being read first names `name` (a declaration
    // that failed, see Entry::malformed).
    std::size_t UseOf(const std::string& name) const;
    // The exception named at the cursor: a declared one, a package's
    // ("PKG.NAME") or a predefined one; PLS-00201 when there is none.
    int ExceptionNamed(std::size_t at);
    // The package `name` (the one being compiled, or a stored one the unit
    // then depends on); PLS-00201 when there is none, PLS-00905 when invalid.
    std::shared_ptr<CPlsqlPackage> PackageNamed(const std::string& name, std::size_t at);
    static int NextExceptionId();
    int NewSlot(const std::string& name, std::shared_ptr<CPlsqlType> type);
    ExprPtr ParseUpdatingColumn(std::size_t at);
    void Declare(const std::string& name, const Entry& entry, std::size_t at);
    // A target of the variable `entry`, from the unit being compiled.
    void Refer(CPlsqlTarget& target, const Entry& entry) const;
    // The unit being compiled (level m_level) or one it is declared in.
    const CPlsqlUnit& UnitAt(int level) const;
    // A cursor is used only by the unit that declares it.

    // Declarations and types
    void ParseDeclarations(CPlsqlBlockNode& block);
    void ParseDeclaration(CPlsqlBlockNode& block);
    // A declaration whose names or query fail is passed over ("PL/SQL: Item
    // ignored"), its name kept as malformed, and the next one read.
    // `packageCursor`: a package's CURSOR (see ParsePackageCursor).
    void ParseGuardedDeclaration(CPlsqlBlockNode& block, bool packageCursor = false);
    // Whether a variable's or a cursor's declaration begins at the cursor.
    bool IsItemStart() const;
    // A variable's or cursor's declaration (from `mark`) that failed: its
    // error collected, the item passed over and its name declared malformed.
    void PassOverItem(const Failure& failure, const Mark& mark);
    // "ORA-06550: ..." lines of `error` and of the item it passed over.
    std::string MessageOf(const CompileError& error) const;
    void ParseTypeDeclaration();
    void ParseCursorDeclaration();
    void ParsePragma();
    std::shared_ptr<CPlsqlType> ParseIntervalType();
    std::shared_ptr<CPlsqlType> ParseType();
    std::shared_ptr<CPlsqlType> ParseCollectionType();
    std::shared_ptr<CPlsqlType> ParseObjectType();
    // Object types' methods. The object a method is called on: a variable
    // (`target`), or for a user constructor a new object of `made`.
    struct SelfArg {
        CPlsqlTarget target;
        std::shared_ptr<CPlsqlType> made;
        bool constant = false;
        // An object a call or constructor yields: moved into the call (a
        // NULL stands in while overloads are tried, `trial`).
        ExprPtr* value = nullptr;
        bool trial = false;
        std::string name = "SELF";  // as a message names it
    };
    bool IsMethodStart() const;
    // MEMBER, STATIC, CONSTRUCTOR, MAP or ORDER, its words read.
    std::string MethodKind();
    // A method's heading in the type's heading (`heading`) or its body.
    void ParseMethodItem(bool heading);
    // An item of the heading passed over (an attribute, a PRAGMA).
    void SkipTypeItem();
    ExprPtr SelfExpr(const SelfArg& self) const;
    // `object.method[(args)]` at the method's name: a call of the method of
    // `type` with the variable `target` as SELF.
    ExprPtr ParseMemberCall(const CPlsqlTarget& target, bool constant, const CPlsqlType& type,
                            std::size_t at);
    ExprPtr ParseMemberCall(SelfArg& self, const CPlsqlType& type, std::size_t at);
    std::unique_ptr<CPlsqlStmt> ParseMemberStatement(const Entry& entry, std::size_t at);
    // `r.field[.attribute ...].method[(args)];`: a method called on an object
    // a record's field or an attribute holds, SELF written back to it; null
    // (nothing read) when the statement is not one.
    std::unique_ptr<CPlsqlStmt> ParseHeldMemberStatement(const Entry& entry, std::size_t at);
    // Whether the token `ahead` ends a method's name in a call statement.
    bool IsMethodCallEnd(std::size_t ahead) const;
    // The call of `type`'s method at its name, with `self` as SELF.
    std::unique_ptr<CPlsqlStmt> MemberStatement(SelfArg& self, const CPlsqlType& type, std::size_t at);
    // name(args) of an object type with user constructors: the one the
    // arguments fit, or null for the attributes' own constructor.
    ExprPtr ParseUserConstructor(const std::shared_ptr<CPlsqlType>& type, std::size_t at);
    // The object type an expression yields; null for any other value.
    std::shared_ptr<CPlsqlType> ObjectTypeOf(const CPlsqlExpr& expr) const;
    // A comparison of two objects through their type's MAP or ORDER method
    // (PLS-00526 without one); null when `left` is no object.
    ExprPtr ObjectComparison(CPlsqlExpr::Op op, ExprPtr& left, ExprPtr& right, std::size_t at);
    std::shared_ptr<CPlsqlPackage> MethodsOf(const std::string& type, std::size_t at);
    // A schema's type of that name (the unit then depends on it); null for none.
    std::shared_ptr<CPlsqlType> SchemaTypeNamed(const std::string& name, std::size_t at);
    // The type whose constructor `name(` calls: a collection type declared
    // here, or a schema's collection or object type; null for none.
    // An object type's constructor at token `k` of a query's select list,
    // read as its attributes' columns (SELECT obj_t(a, b) INTO ...).
    bool UnwrapConstructor(std::size_t k, std::size_t end);
    std::size_t MatchingBracket(std::size_t open, std::size_t end) const;
    std::shared_ptr<CPlsqlType> ConstructedType(const std::string& name, const Entry* entry, std::size_t at);
    // Whether `name` is a type with a constructor (NEW name(...)).
    bool ConstructedTypeNamed(const std::string& name);
    // The collection type of a variable's slot; null for any other.
    const CPlsqlType* CollectionOf(const Entry& entry) const;
    // The declared type of an entry's or a target's variable (in its package's frame for a package's).
    std::shared_ptr<CPlsqlType> SlotTypeOf(const Entry& entry) const;
    std::shared_ptr<CPlsqlType> TargetType(const CPlsqlTarget& target) const;
    // ".attribute[.attribute ...]" after a record's field of an object type:
    // the attributes it names, into `target`; the type of the last. With
    // `methods`, a name no attribute has is left for a method call.
    std::shared_ptr<CPlsqlType> HeldAttribute(CPlsqlTarget& target, const std::shared_ptr<CPlsqlType>& field,
                                              bool methods = false);
    // The attributes after a field of an object type in an expression, and
    // a method called on the object they reach (r.who.describe()).
    ExprPtr HeldPath(ExprPtr expr, const std::shared_ptr<CPlsqlType>& field, bool constant);
    // The bind `name` of a call's argument: a TIMESTAMP variable's typed as one.
    // TO_CHAR(value, 'model'): the model's FF takes the digits of the value's
    // type; a DATE's model naming fractional seconds is ORA-01821 when the
    // call runs (the code, else 0).
    int FractionDigits(const CPlsqlExpr& value, CPlsqlExpr& model) const;
    // The digits of a second the type of `value` keeps: -1 for a DATE, and
    // false for a value of no datetime type or one not known here.
    bool DatetimeDigits(const CPlsqlExpr& value, int& digits) const;
    // A variable's (or a record field's) declared type; null for others.
    std::shared_ptr<CPlsqlType> VariableType(const CPlsqlExpr& value) const;
    std::string TypedBind(const std::string& name, const CPlsqlExpr& argument) const;
    // ":name", or a cast to the floating type of the argument.
    std::string FloatBind(const std::string& name, const CPlsqlExpr& argument) const;
    // "(subscript)" and an optional ".field" of an element of `collection`.
    void ParseElement(CPlsqlTarget& target, const CPlsqlType& collection);
    void ParseMethodCall(CPlsqlExpr& expr);
    static bool MethodNamed(const std::string& name, CPlsqlExpr::Method& method);
    std::unique_ptr<CPlsqlStmt> ParseCollectionStatement(const Entry& entry);
    // FOR's "(query)" and its record `index`; a query that fails is
    // collected, the record malformed.
    void ParseLoopQuery(CPlsqlStmt& statement, Entry& entry, const std::string& index);
    // FOR's "lower .. upper"; bounds that fail are collected, up to LOOP.
    void ParseLoopBounds(CPlsqlStmt& statement);
    std::unique_ptr<CPlsqlStmt> ParseForAll();
    std::shared_ptr<CPlsqlType> ParseAttributeType(const std::string& first, std::size_t at);
    std::shared_ptr<CPlsqlType> RowType(const std::vector<std::string>& columns) const;
    std::shared_ptr<CPlsqlType> RowTypeOf(const CPlsqlSql& query) const;

    // Statements
    // A block; its declarations are qualified by `scopeName` (a subprogram's
    // body), else by its label.
    std::unique_ptr<CPlsqlBlockNode> ParseBlock(std::string label, const std::string& scopeName = {});
    CPlsqlBody ParseBody(std::initializer_list<std::string_view> enders);
    std::unique_ptr<CPlsqlStmt> ParseStatement();
    std::unique_ptr<CPlsqlStmt> ParseStatementAt();
    std::unique_ptr<CPlsqlStmt> ParseUnlabelled(std::size_t at);
    std::unique_ptr<CPlsqlStmt> ParseGoto();
    // Each GOTO of the unit reaches its label in a sequence around it
    // (PLS-00375 when the label is elsewhere, PLS-00201 when there is none).
    void CheckGotos();
    std::unique_ptr<CPlsqlStmt> ParseIf();
    std::unique_ptr<CPlsqlStmt> ParseCase();
    std::unique_ptr<CPlsqlStmt> ParseLoop(std::string label);
    std::unique_ptr<CPlsqlStmt> ParseFor(std::string label);
    std::unique_ptr<CPlsqlStmt> ParseExit(bool isContinue);
    std::unique_ptr<CPlsqlStmt> ParseSqlStatement(bool query);
    std::unique_ptr<CPlsqlStmt> ParseTransaction();
    std::unique_ptr<CPlsqlStmt> ParseCursorStatement();
    // OPEN (a cursor variable or a bind) FOR a query or a text with USING.
    std::unique_ptr<CPlsqlStmt> ParseOpenFor(std::unique_ptr<CPlsqlStmt> statement);
    void ParseFetchInto(CPlsqlStmt& statement);
    // OPEN, FETCH or CLOSE of the cursor variable or package cursor `statement->target`.
    std::unique_ptr<CPlsqlStmt> ParseCursorVariableUse(std::unique_ptr<CPlsqlStmt> statement, bool variable);
    std::unique_ptr<CPlsqlStmt> ParseExecuteImmediate();
    std::unique_ptr<CPlsqlStmt> ParseRaise();
    std::unique_ptr<CPlsqlStmt> ParseNameStatement();
    std::unique_ptr<CPlsqlStmt> ParseCall(const std::string& name, std::size_t at);
    void ParseParameters();
    // A stored unit's parameters and result type (see CompileError::terminated).
    void ParseUnitHeading();
    // The arguments of a call of `callee`, one per parameter (positional,
    // named "=>" or mixed); OUT arguments as targets in `targets`.
    std::vector<ExprPtr> ParseCallArguments(const CPlsqlUnit& callee, std::vector<CPlsqlTarget>* targets,
                                            std::size_t at, const SelfArg* self = nullptr);
    // The procedures and functions a call of `name` may mean: a local
    // subprogram's overloads, a package's members or a stored unit.
    std::vector<std::shared_ptr<CPlsqlUnit>> Callables(const std::string& name, std::size_t at);
    // A call of the procedure or function (`type`) `name` with its arguments
    // (see ParseCallArguments), the overload they fit; null when no unit has
    // that name.
    std::shared_ptr<CPlsqlUnit> ParseUnitCall(const std::string& name, const std::string& type,
                                              std::vector<ExprPtr>& args, std::vector<CPlsqlTarget>* targets,
                                              std::size_t at, const SelfArg* self = nullptr);
    // Which of `candidates` the arguments at the current token fit best
    // (PLS-00306 when none, PLS-00307 when several fit as well).
    std::size_t ChooseOverload(const std::vector<std::shared_ptr<CPlsqlUnit>>& candidates,
                               const std::string& name, bool statement, std::size_t at,
                               const SelfArg* self = nullptr);
    // Whether `unit` takes the call's arguments (from the current token), and
    // how it fits each, by the argument's place in the text.
    bool FitsArguments(const CPlsqlUnit& unit, bool statement, std::size_t at, const SelfArg* self,
                       std::map<std::size_t, CPlsqlOverloads::Match>& fits);
    // A stored unit the unit calls, noted among its dependencies.
    void NoteCall(const CPlsqlUnit& unit);
    // What a call of `unit` holds to keep it alive (see CPlsqlExpr::owner).
    std::shared_ptr<const void> OwnerOf(const std::shared_ptr<CPlsqlUnit>& unit) const;
    void Begin();
    // Reads `text` from its start, into the unit being built.
    // Drops "SYS." before the name of a built-in package.
    void DropSysQualifiers();
    void Retarget(std::string_view text);
    void ParsePackageItem(bool heading);
    // `word` (PACKAGE or TYPE) and the name of `package`, made the unit's
    // frame, qualified by `owner`.
    void OpenPackageFrame(std::string_view word, const std::string& owner, CPlsqlPackage& package);
    // `word` BODY name IS|AS at the start of `body`, now the text read.
    void OpenBody(std::string_view word, std::string_view body);
    // A body's end: nothing after it, and a body for every member heading.
    void CloseBody(const CPlsqlPackage& package);
    // CURSOR c [RETURN type] [IS query] of a package: its state is the
    // session's, kept in a slot of the package.
    void ParsePackageCursor();
    // name%ATTRIBUTE of a cursor variable `variable` (at its "%"); `variable` when none follows.
    ExprPtr ParseCursorAttribute(ExprPtr variable);
    // SQL%BULK_ROWCOUNT(i), SQL%BULK_EXCEPTIONS.COUNT, SQL%BULK_EXCEPTIONS(i).field.
    ExprPtr ParseBulkAttribute(ExprPtr expr, const std::string& attribute);
    // PROCEDURE or FUNCTION with its parameters and result, as a new unit
    // of `enclosing`'s text (made current, its parameters in a new scope).
    // `method`: an object type's method of that kind, SELF its first parameter.
    std::shared_ptr<CPlsqlUnit> ParseHeading(const std::shared_ptr<CPlsqlUnit>& enclosing,
                                             const std::string& method = {});
    // ";" of a declaration or IS ... END; of a body; the heading's scope ends.
    void ParseSubprogramBody(bool bodyAllowed);
    // A procedure or function declared in a block (a forward declaration or its body).
    void ParseLocalSubprogram();
    // `name.member` as a variable of package `name` (tokens at the "."); null when it is none.
    ExprPtr PackageVariable(const std::string& name, std::size_t at);
    void ParseHandlers(CPlsqlBlockNode& block);
    void EndStatement();
    void EndLoop(const std::string& label);

    // Targets and expressions
    CPlsqlTarget ParseTarget();
    std::vector<CPlsqlTarget> ParseTargets();
    std::vector<ExprPtr> ParseNamedArguments(std::string_view params, const std::string& call,
                                             std::size_t at);
    std::vector<ExprPtr> ParseArguments();
    // The arguments of a built-in package's member `call` (`member` null for
    // DBMS_OUTPUT's) against its parameters' types: PLS-00306 at `at` for
    // a BOOLEAN, record, collection or cursor where a scalar is taken, and
    // for anything but a BOOLEAN where a BOOLEAN is.
    // RAISE_APPLICATION_ERROR(num, msg [, keeperrorstack]): PLS-00306 at
    // `at` for a number or text left out, too many arguments, a BOOLEAN or
    // a composite where a number or text is taken, or a third argument
    // that is not BOOLEAN.
    void CheckApplicationError(const std::vector<ExprPtr>& args, const std::string& call, std::size_t at);
    void CheckBuiltinArguments(const std::string& call, const CPlsqlBuiltins::Member* member,
                               const std::vector<ExprPtr>& args, std::size_t at);
    // The arguments of declared cursor `cursor` (of the unit at `level`),
    // positional, named "=>" or mixed, in its parameters' order; one left
    // out is null (its default).
    std::vector<ExprPtr> ParseCursorArguments(const CPlsqlCursorDecl& cursor, int level);
    // The arguments of a call to `call` whose parameters are `names`, in
    // that order: positional, named "=>" or mixed (PLS-00312 for a
    // positional one after a named one; PLS-00306 for a name not there, a
    // parameter given twice); one left out is null; more arguments than
    // names are kept for the caller to refuse.
    std::vector<ExprPtr> ParseArgumentsByName(const std::vector<std::string>& names, const std::string& call);
    ExprPtr ParseExpr();
    ExprPtr ParseOr();
    ExprPtr ParseAnd();
    ExprPtr ParseNot();
    ExprPtr ParseComparison();
    ExprPtr ParseAdditive();
    ExprPtr ParseMultiplicative();
    ExprPtr ParseUnary();
    ExprPtr ParsePower();
    ExprPtr ParsePrimary();
    ExprPtr ParseIntervalLiteral();
    ExprPtr ParseCaseExpr();
    ExprPtr ParseNamed();
    ExprPtr ParseNamedValue();
    // `.method[(args)]` or `.attribute` after a call or constructor that
    // yields an object, as often as they follow.
    ExprPtr ParseObjectSuffix(ExprPtr expr);
    // A SQL function or pseudo-column from token `first` to the current one.
    ExprPtr SqlCall(std::size_t first);
    // When `failure` (of SQL made of tokens [first, end)) is SQL's "no such
    // function": PLS-00201 at the call's name, as the compiler finds the
    // name in an expression before SQL does.
    void FailUnknownFunction(const Failure& failure, std::size_t first, std::size_t end) const;
    static ExprPtr Binary(CPlsqlExpr::Op op, ExprPtr left, ExprPtr right, std::size_t at);
    // A comparison, blank-padded when both sides are CHAR values.
    ExprPtr Comparing(CPlsqlExpr::Op op, ExprPtr left, ExprPtr right, std::size_t at);
    bool IsCharValue(const CPlsqlExpr& expr) const;
    bool IsCollectionValue(const CPlsqlExpr& expr) const;
    ExprPtr MultisetOf(CPlsqlExpr::Multiset multiset, ExprPtr left, ExprPtr right, std::size_t at) const;
    ExprPtr ParseMultisetOperator(ExprPtr left, std::size_t at);

    // The floating width (4, 8) SQL takes parameter `target` as; 0 for others.
    int ParamFloatWidth(const CPlsqlTarget& target) const;
    // SQL text with PL/SQL names made parameters, tokens [first, end).
    std::unique_ptr<CPlsqlSql> BuildSql(std::size_t first, std::size_t end, CPlsqlSql::Kind kind);
    // The end of the statement starting at token `first`: its ";" at depth 0.
    std::size_t StatementEnd(std::size_t first) const;
    void CollectColumns(std::size_t first, std::size_t end);
    void Compile(CPlsqlSql& sql, std::size_t at);
    // The place in the unit's text of byte `position` of `sql`'s text; `at`
    // when it has none.
    std::size_t SourceOf(const CPlsqlSql& sql, int position, std::size_t at) const;

    std::string_view m_text;
    CPlsqlHost& m_host;
    std::vector<Token> m_tokens;
    Token m_end{CSqlScanner::Kind::Space, 0, 0};  // what Peek answers past the last token
    std::size_t m_k = 0;
    std::shared_ptr<CPlsqlUnit> m_unit;
    std::vector<std::map<std::string, Entry>> m_scopes;
    std::vector<std::string> m_scopeLabels;
    // The name a scope qualifier named (see SkipScopeQualifier): its scope
    // and the token it is.
    struct Qualified {
        std::size_t scope = 0;
        std::size_t token = 0;
        std::string name;
        bool active = false;
    };
    Qualified m_qualified;
    std::map<std::string, std::shared_ptr<CPlsqlType>> m_types;
    std::vector<std::string> m_loops;    // labels of the loops around ("" unlabelled)
    std::vector<std::string> m_columns;  // columns of the tables of the SQL being built
    // The depth of the local subprogram being compiled, and the units it is declared in.
    int m_level = 0;
    std::vector<const CPlsqlUnit*> m_levels;
    int m_nesting = 0;
    // The package being compiled: its name, frame unit and members.
    std::string m_package;
    std::shared_ptr<CPlsqlUnit> m_frame;
    std::shared_ptr<CPlsqlPackage> m_compiling;
    // The object type whose methods are being compiled.
    std::shared_ptr<CPlsqlType> m_object;
    // Where the statement being parsed begins (npos outside statements).
    std::size_t m_statementAt = std::string::npos;
    // The errors of statements passed over so far (see Collectable).
    std::vector<Failure> m_collected;
    // What a statement's parse changes, restored when its errors are collected.
    struct Mark {
        std::size_t token = 0;
        std::size_t scopes = 0;
        std::size_t loops = 0;
        std::size_t sequences = 0;
        std::size_t levels = 0;
        std::size_t gotos = 0;
        int level = 0;
        std::shared_ptr<CPlsqlUnit> unit;
    };
    Mark MarkState() const;
    void Restore(const Mark& mark);
    // GOTO: the statement sequences being read (innermost last), the labels
    // before statements with their sequence, and the GOTOs with the
    // sequences around them, checked once the unit is read.
    struct LabelMark {
        std::string name;
        int sequence = -1;
    };
    struct GotoMark {
        std::string label;
        std::size_t at = 0;
        std::size_t statementAt = 0;
        std::vector<int> sequences;
    };
    std::vector<int> m_sequences;
    int m_nextSequence = 0;
    std::vector<LabelMark> m_labels;
    std::vector<GotoMark> m_gotos;
    // In a trigger: the names of its :NEW and :OLD rows.
    std::string m_newName;
    std::string m_oldName;
    // A trigger's row for a bind `name` (slot 0 or 1), -1 for a console bind.
    int RowSlot(const std::string& name) const;
};
