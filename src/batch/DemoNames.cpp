#include "DemoNames.h"

const std::vector<DemoTown>& demoTowns()
{
    static const std::vector<DemoTown> towns = {
        {"Roma", "RM", "00185", "H501"},    {"Milano", "MI", "20121", "F205"},
        {"Torino", "TO", "10121", "L219"},  {"Napoli", "NA", "80121", "F839"},
        {"Bologna", "BO", "40121", "A944"}, {"Firenze", "FI", "50122", "D612"},
        {"Genova", "GE", "16121", "D969"},  {"Padova", "PD", "35121", "G224"},
        {"Verona", "VR", "37121", "L781"},  {"Bergamo", "BG", "24121", "A794"},
        {"Brescia", "BS", "25121", "B157"}, {"Parma", "PR", "43121", "G337"},
        {"Modena", "MO", "41121", "F257"},  {"Perugia", "PG", "06121", "G478"},
        {"Ancona", "AN", "60121", "A271"},  {"Bari", "BA", "70121", "A662"},
        {"Palermo", "PA", "90133", "G273"}, {"Cagliari", "CA", "09124", "B354"},
        {"Trieste", "TS", "34121", "L424"}, {"Trento", "TN", "38122", "L378"},
        {"Pescara", "PE", "65121", "G482"}, {"Lecce", "LE", "73100", "E506"},
        {"Udine", "UD", "33100", "L483"},   {"Treviso", "TV", "31100", "L407"},
        {"Vicenza", "VI", "36100", "L840"}, {"Como", "CO", "22100", "C933"},
        {"Siena", "SI", "53100", "I726"},   {"Pisa", "PI", "56125", "G702"},
        {"Lucca", "LU", "55100", "E715"},   {"Venezia", "VE", "30121", "L736"},
    };
    return towns;
}

const QStringList& demoMaleNames()
{
    static const QStringList names = {"Mario",   "Giuseppe",  "Luca",   "Marco",   "Giovanni",
                                      "Andrea",  "Francesco", "Paolo",  "Stefano", "Alberto",
                                      "Roberto", "Massimo",   "Davide", "Simone",  "Matteo",
                                      "Claudio", "Fabio",     "Enrico", "Lorenzo", "Riccardo"};
    return names;
}

const QStringList& demoFemaleNames()
{
    static const QStringList names = {"Maria",      "Anna",     "Giulia",  "Francesca", "Laura",
                                      "Chiara",     "Sara",     "Elena",   "Paola",     "Silvia",
                                      "Valentina",  "Federica", "Roberta", "Monica",    "Cristina",
                                      "Alessandra", "Elisa",    "Marta",   "Daniela",   "Barbara"};
    return names;
}

const QStringList& demoSurnames()
{
    static const QStringList surnames = {
        "Rossi",    "Russo",   "Ferrari",   "Esposito", "Bianchi",    "Romano",  "Colombo",
        "Ricci",    "Marino",  "Greco",     "Bruno",    "Gallo",      "Conti",   "De Luca",
        "Mancini",  "Costa",   "Giordano",  "Rizzo",    "Lombardi",   "Moretti", "Barbieri",
        "Fontana",  "Santoro", "Mariani",   "Rinaldi",  "Caruso",     "Ferrara", "Galli",
        "Martini",  "Leone",   "Longo",     "Gentile",  "Martinelli", "Vitale",  "Lombardo",
        "Serra",    "Coppola", "De Santis", "D'Angelo", "Marchetti",  "Parisi",  "Villa",
        "Conte",    "Ferraro", "Ferri",     "Fabbri",   "Bianco",     "Marini",  "Grasso",
        "Valentini"};
    return surnames;
}

const QStringList& demoStreets()
{
    static const QStringList streets = {"Via Roma",
                                        "Via Giuseppe Garibaldi",
                                        "Corso Vittorio Emanuele II",
                                        "Via Giuseppe Mazzini",
                                        "Piazza della Repubblica",
                                        "Via Cavour",
                                        "Viale dei Mille",
                                        "Via Dante Alighieri",
                                        "Via XX Settembre",
                                        "Via Alessandro Manzoni",
                                        "Via Giuseppe Verdi",
                                        "Corso Italia",
                                        "Via Guglielmo Marconi",
                                        "Via Giacomo Matteotti",
                                        "Via San Francesco",
                                        "Via dei Tigli",
                                        "Via delle Rose",
                                        "Via Giacomo Leopardi",
                                        "Via Giosuè Carducci",
                                        "Largo Augusto",
                                        "Via Nazionale",
                                        "Via della Stazione",
                                        "Viale Europa",
                                        "Via dei Mulini"};
    return streets;
}

const QStringList& demoTrades()
{
    static const QStringList trades = {"Edilizia",      "Costruzioni", "Immobiliare",
                                       "Impresa Edile", "Agricola",    "Ristrutturazioni",
                                       "Trasporti",     "Officine",    "Servizi Immobiliari"};
    return trades;
}

const QStringList& demoSupplierTrades()
{
    static const QStringList trades = {
        "Cartoleria",  "Copisteria",         "Strumenti Topografici", "Informatica",
        "Autofficina", "Carburanti",         "Assicurazioni",         "Studio Commerciale",
        "Telefonia",   "Arredamenti Ufficio"};
    return trades;
}

const QStringList& demoLegalForms()
{
    static const QStringList forms = {"S.r.l.", "S.p.A.", "S.n.c.", "S.a.s.", "S.r.l.s."};
    return forms;
}

const std::vector<DemoService>& demoServices()
{
    static const std::vector<DemoService> services = {
        {"Accatastamento immobile", "Pratica DOCFA e planimetrie catastali", 350, 900},
        {"Rilievo topografico",
         "Rilievo plano-altimetrico con stazione totale e restituzione grafica", 600, 2500},
        {"Frazionamento terreno", "Tipo di frazionamento e aggiornamento mappe (PREGEO)", 800,
         2200},
        {"Pratica edilizia CILA", "Comunicazione inizio lavori asseverata e relazione tecnica", 500,
         1500},
        {"Direzione lavori", "Direzione dei lavori di ristrutturazione, sopralluoghi in cantiere",
         1500, 6000},
        {"Attestato di prestazione energetica", "Sopralluogo, calcolo e redazione APE", 150, 400},
        {"Successione", "Dichiarazione di successione e volture catastali", 400, 1200},
        {"Stima immobiliare", "Perizia di stima del valore di mercato dell'immobile", 300, 1000},
        {"Sicurezza in cantiere",
         "Coordinamento della sicurezza in fase di progettazione ed "
         "esecuzione",
         800, 3500},
        {"Certificato di agibilità", "Segnalazione certificata di agibilità e allegati", 300, 800},
        {"Visure e consulenza", "Visure catastali e ipotecarie, consulenza tecnica", 80, 300},
        {"Amministrazione condominiale", "Consulenza tecnica per manutenzione straordinaria", 400,
         1800},
    };
    return services;
}

const std::vector<DemoPurchase>& demoPurchases()
{
    static const std::vector<DemoPurchase> purchases = {
        {"Cancelleria e carta per plotter", "1", 20, 250},
        {"Toner e manutenzione stampante", "1", 60, 400},
        {"Canone software CAD e catasto", "1", 150, 900},
        {"Carburante", "0.2", 40, 120},
        {"Manutenzione autovettura", "0.2", 150, 900},
        {"Telefonia mobile", "0.8", 25, 60},
        {"Assicurazione responsabilità civile professionale", "1", 300, 1200},
        {"Taratura strumenti topografici", "1", 200, 700},
        {"Consulenza fiscale", "1", 250, 1500},
        {"Arredi per ufficio", "1", 200, 1800},
    };
    return purchases;
}
