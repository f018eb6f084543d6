#pragma once

#include <QStringList>
#include <vector>

// The word lists the demo data is made of.

struct DemoTown
{
    const char* name;
    const char* province;
    const char* postcode;
    const char* cadastralCode;
};

const std::vector<DemoTown>& demoTowns();
const QStringList& demoMaleNames();
const QStringList& demoFemaleNames();
const QStringList& demoSurnames();
const QStringList& demoStreets();
// Company names: what the business does, before a surname ("Edilizia").
const QStringList& demoTrades();
// What a supplier sells, before a surname ("Cartoleria").
const QStringList& demoSupplierTrades();
const QStringList& demoLegalForms();
// The subject of a fee document and a line of its description.
struct DemoService
{
    const char* subject;
    const char* description;
    int minimumFee; // euro
    int maximumFee;
};
const std::vector<DemoService>& demoServices();
// What a purchase is for, and how much of it is deductible (multiplier).
struct DemoPurchase
{
    const char* description;
    const char* deductibility;
    int minimumAmount; // euro
    int maximumAmount;
};
const std::vector<DemoPurchase>& demoPurchases();
